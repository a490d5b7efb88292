#pragma once

// Helpers shared by the test programs: paths next to the running test,
// child processes, registry values in the test prefix, temporary folders.

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

// Folder of the running test program, with a trailing backslash.
std::wstring program_folder();

// A module loaded by full path, freed when the holder ends.
class loaded_module {
public:
    explicit loaded_module(const std::wstring& path);
    ~loaded_module();
    loaded_module(const loaded_module&) = delete;
    loaded_module& operator=(const loaded_module&) = delete;
    HMODULE get() const { return module_; }
    FARPROC symbol(const char* name) const;

private:
    HMODULE module_;
};

// The JNI library of the build, loaded from next to the test program.
const loaded_module& jni_library();

// The export name of a native on this build: the decorated name as the 32-bit
// VM looks it up ("_Name@N"), or the plain name on the 64-bit build.
std::string export_name(const char* decorated_name);

// Resolves a native of the JNI library, named in its 32-bit decorated form, as
// a function pointer of type F.
template <class F>
F jni_export(const char* decorated_name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(jni_library().symbol(export_name(decorated_name).c_str())));
}

struct process_result {
    bool started = false;
    bool finished = false; // false: still running at the time-out (then terminated)
    DWORD exit_code = 0;
    std::string output;    // standard output and error together
};

// Waits at most `timeout_ms` for a started process, ends it when it is still
// running then, and closes both of its handles.
struct process_end {
    bool finished = false;
    DWORD exit_code = 0;
};
process_end finish_process(PROCESS_INFORMATION& info, DWORD timeout_ms);

// The whole content of a file, or nothing when it cannot be read.
std::string read_file(const std::wstring& path);

// Runs a command line, collecting its output, for at most `timeout_ms`.
process_result run_process(const std::wstring& command_line, DWORD timeout_ms = 30000,
                           const wchar_t* current_directory = nullptr);

// Registry values below HKEY_LOCAL_MACHINE (or another root) in the test prefix.
void set_registry_value(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
                        DWORD size);
void set_registry_string(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value,
                         DWORD type = REG_SZ);
void delete_registry_value(HKEY root, const std::wstring& key, const std::wstring& name);
void delete_registry_tree(HKEY root, const std::wstring& key);

// A fresh empty folder, removed with its files when the holder ends.
class temp_folder {
public:
    temp_folder();
    ~temp_folder();
    temp_folder(const temp_folder&) = delete;
    temp_folder& operator=(const temp_folder&) = delete;
    const std::wstring& path() const { return path_; } // with a trailing backslash

private:
    std::wstring path_;
};

std::string narrow(const std::wstring& text);
std::string narrow(const std::u16string& text);
std::u16string u16(const std::wstring& text);

} // namespace test_support
