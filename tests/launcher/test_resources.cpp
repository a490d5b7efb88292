// The resources of the built launcher: string table, icon, version block, manifest.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "launcher_fixture.h"

using namespace launcher_tests;
using test_support::narrow;

namespace {

struct LauncherResources : ::testing::Test {
    LauncherResources()
    {
        SetLastError(0xdeadbeef);
        module = LoadLibraryExW(launcher_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        EXPECT_NE(module, nullptr) << "cannot load " << narrow(launcher_path()) << ", error " << GetLastError();
    }
    ~LauncherResources() override
    {
        if (module) FreeLibrary(module);
    }

    std::string resource(const wchar_t* type, const wchar_t* name, WORD language)
    {
        const HRSRC found = FindResourceExW(module, type, name, language);
        if (!found) return {};
        const HGLOBAL loaded = LoadResource(module, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return data ? std::string(data, SizeofResource(module, found)) : std::string();
    }

    HMODULE module = nullptr;
};

TEST_F(LauncherResources, WindowsGuiProgramSoThatNoConsoleOpens)
{
    ASSERT_NE(module, nullptr);
    // A module loaded as data is marked in the low bits of its handle.
    const auto* base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(module) & ~ULONG_PTR(3));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, DWORD(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(nt->FileHeader.Characteristics & IMAGE_FILE_DLL, 0);
}

TEST_F(LauncherResources, StringTableInUsEnglishWithNoBreakSpacesInTheProductName)
{
    ASSERT_NE(module, nullptr);
    // Ids 0 to 15 form the first block of the table.
    EXPECT_FALSE(resource(RT_STRING, MAKEINTRESOURCEW(1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)).empty());
    struct {
        UINT id;
        std::wstring text;
    } cases[] = {
        {1, product_name},           {2, bad_configuration_text}, {3, wait_failed_text},
        {4, launch_failed_text},     {5, L""},                    {6, L""},
        {7, launcher_problem_text},  {8, L""},                    {0, L""},
    };
    for (const auto& c : cases) {
        const wchar_t* text = nullptr;
        const int length = LoadStringW(module, c.id, reinterpret_cast<LPWSTR>(&text), 0);
        EXPECT_EQ(narrow(std::wstring(text ? text : L"", length > 0 ? size_t(length) : 0)), narrow(c.text))
            << "id " << c.id;
    }
}

TEST_F(LauncherResources, IconGroupHasEverySizeInEightAndThirtyTwoBitColour)
{
    ASSERT_NE(module, nullptr);
    const HRSRC group_resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group_resource, nullptr);
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(module, group_resource)));
    ASSERT_NE(group, nullptr);
    // Directory: reserved, type 1, count; then 14-byte entries.
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    ASSERT_EQ(SizeofResource(module, group_resource), 6u + 14u * count);

    std::set<std::pair<int, int>> found; // size, bits per pixel
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        const int width = entry[0] ? entry[0] : 256;
        const int height = entry[1] ? entry[1] : 256;
        const int bits = *reinterpret_cast<const WORD*>(entry + 6);
        const WORD image_id = *reinterpret_cast<const WORD*>(entry + 12);
        EXPECT_EQ(width, height);
        found.insert({width, bits});

        // The image itself agrees with its entry: a bitmap twice as high, for its mask.
        const HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(image_id), RT_ICON);
        ASSERT_NE(image, nullptr) << "image " << image_id;
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header->biWidth, width);
        EXPECT_EQ(header->biHeight, 2 * height);
        EXPECT_EQ(header->biBitCount, bits);
    }
    std::set<std::pair<int, int>> expected;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        for (int bits : {8, 32}) expected.insert({size, bits});
    EXPECT_EQ(found, expected);
    EXPECT_EQ(count, expected.size());

    // The system makes an icon of the image it picks for each size.
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SetLastError(0xdeadbeef);
        const HICON icon =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << size << " px, error " << GetLastError();
        ICONINFO info{};
        BITMAP bitmap{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST_F(LauncherResources, VersionBlock)
{
    const std::wstring path = launcher_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_NE(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(3, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 2));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
    EXPECT_EQ(translation[1], 1200); // Unicode

    struct {
        const wchar_t* name;
        const wchar_t* value;
    } strings[] = {
        {L"FileDescription", L"Tarvo inkvale PDF"}, // ordinary spaces here
        {L"ProductName", L"Tarvo inkvale PDF"},
        {L"FileVersion", L"1.3.0"},
        {L"ProductVersion", L"2.0.0.0"},
        {L"OriginalFilename", L"inkvale_Application_Launcher.exe"},
    };
    for (const auto& s : strings) {
        wchar_t* value = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\080904b0\\") + s.name;
        ASSERT_TRUE(VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << narrow(s.name);
        EXPECT_EQ(narrow(value), narrow(s.value)) << narrow(s.name);
    }
}

TEST_F(LauncherResources, ManifestRunsAsInvokerWithoutUiAccess)
{
    ASSERT_NE(module, nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
}

} // namespace
