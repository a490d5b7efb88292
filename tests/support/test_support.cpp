#include "test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace test_support {

std::wstring program_folder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

loaded_module::loaded_module(const std::wstring& path) : module_(LoadLibraryW(path.c_str()))
{
    if (!module_) ADD_FAILURE() << "cannot load " << narrow(path) << ", error " << GetLastError();
}

loaded_module::~loaded_module()
{
    if (module_) FreeLibrary(module_);
}

FARPROC loaded_module::symbol(const char* name) const
{
    FARPROC address = module_ ? GetProcAddress(module_, name) : nullptr;
    if (!address) ADD_FAILURE() << "no export " << name;
    return address;
}

std::string export_name(const char* decorated_name)
{
    std::string name = decorated_name;
#ifdef _WIN64
    if (!name.empty() && name[0] == '_') name.erase(0, 1);
    const size_t at = name.rfind('@');
    if (at != std::string::npos) name.erase(at);
#endif
    return name;
}

const loaded_module& jni_library()
{
    static loaded_module library(program_folder() + L"tdckInkvaleJNI.dll");
    return library;
}

process_end finish_process(PROCESS_INFORMATION& info, DWORD timeout_ms)
{
    process_end end;
    end.finished = WaitForSingleObject(info.hProcess, timeout_ms) == WAIT_OBJECT_0;
    if (!end.finished) {
        TerminateProcess(info.hProcess, 0xDEAD);
        WaitForSingleObject(info.hProcess, 5000);
    }
    GetExitCodeProcess(info.hProcess, &end.exit_code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    info.hThread = info.hProcess = nullptr;
    return end;
}

std::string read_file(const std::wstring& path)
{
    std::string text;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

process_result run_process(const std::wstring& command_line, DWORD timeout_ms, const wchar_t* current_directory)
{
    process_result result;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return result;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(command_line.begin(), command_line.end());
    line.push_back(L'\0');
    result.started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, current_directory,
                                    &startup, &info) != FALSE;
    CloseHandle(write_end);
    if (!result.started) {
        CloseHandle(read_end);
        return result;
    }

    std::thread reader([&] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(read_end, buffer, sizeof(buffer), &got, nullptr) && got > 0) result.output.append(buffer, got);
    });
    const process_end end = finish_process(info, timeout_ms);
    result.finished = end.finished;
    result.exit_code = end.exit_code;
    reader.join();
    CloseHandle(read_end);
    return result;
}

void set_registry_value(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                        DWORD size)
{
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    ASSERT_EQ(status, ERROR_SUCCESS) << "cannot create key " << narrow(key);
    status = RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    ASSERT_EQ(status, ERROR_SUCCESS) << "cannot set value " << narrow(name);
}

void set_registry_string(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value,
                         DWORD type)
{
    set_registry_value(root, key, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void delete_registry_value(HKEY root, const std::wstring& key, const std::wstring& name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueW(handle, name.c_str());
    RegCloseKey(handle);
}

void delete_registry_tree(HKEY root, const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS, &handle) != ERROR_SUCCESS) return;
    wchar_t child[256];
    DWORD length = 256;
    while (RegEnumKeyExW(handle, 0, child, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        delete_registry_tree(root, key + L"\\" + child);
        length = 256;
    }
    RegCloseKey(handle);
    RegDeleteKeyW(root, key.c_str());
}

temp_folder::temp_folder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"inkvale-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(InterlockedIncrement(&counter)) + L"\\";
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << narrow(path_);
            break;
        }
    }
}

temp_folder::~temp_folder()
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path_ + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            SetFileAttributesW((path_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW((path_ + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
}

std::string narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text) {
        if (c < 0x80) out += static_cast<char>(c);
        else {
            char hex[12];
            wsprintfA(hex, "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

std::string narrow(const std::u16string& text) { return narrow(std::wstring(text.begin(), text.end())); }

std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

} // namespace test_support
