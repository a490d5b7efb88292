// MAPIMessage.send: hands one e-mail to postwell, which opens the mail
// client's compose dialog. The native waits only until postwell is ready for
// input (at most 5 s), never for the user.

#include <windows.h>

#include <cstdint>
#include <string>

#include <jni.h>

#include "../registry/registry.h"
#include "../support/bstr_holder.h"
#include "../support/jni_support.h"
#include "../support/scoped_handle.h"
#include "com_native.h"

using namespace morvalent::jni;

namespace {

enum send_result : jint {
    result_no_exit_code = -100,
    result_no_string_copy = -103,
    result_no_setting = -104,
    result_not_started = -105,
};

constexpr DWORD ready_wait_ms = 5000;
// The system's bound for a command line, terminator included.
constexpr uint64_t max_command_line = 32767;

// A wide copy of a Java string, exactly its code units; a null string leaves
// `result` empty. False when the VM gave no characters (its exception is
// pending) or the copy could not be made (a Java exception is raised).
bool from_jstring(JNIEnv* env, jstring string, bstr_holder& result)
{
    result.reset();
    if (!string) return true;
    const jchar* chars = env->GetStringChars(string, nullptr);
    if (!chars) return false;
    const jsize length = env->GetStringLength(string);
    const bool copied = result.assign(reinterpret_cast<const wchar_t*>(chars), static_cast<UINT>(length));
    env->ReleaseStringChars(string, chars);
    if (!copied) {
        throw_exception(env, L"COM error: out of memory");
        return false;
    }
    return true;
}

// The value as it goes between quotes: up to its first NUL (where the command
// line would end), with each double quote made an apostrophe, since the
// command-line grammar has no way to carry a quote and one would end the
// quoted section early.
std::wstring quotable(const bstr_holder& value)
{
    std::wstring text(value.c_str());
    for (wchar_t& c : text)
        if (c == L'"') c = L'\'';
    return text;
}

} // namespace

extern "C" jint JNICALL Java_com_morvalent_signature_MAPIMessage_send(JNIEnv* env, jobject, jstring recipient,
                                                                       jstring subject, jstring text,
                                                                       jstring attachment)
{
    return run_com_native<jint>(env, result_no_exit_code, [&](jint& result) {
        bstr_holder values[4];
        const jstring strings[4] = {recipient, subject, text, attachment};
        for (int i = 0; i < 4; ++i) {
            if (!from_jstring(env, strings[i], values[i])) {
                result = result_no_string_copy;
                return;
            }
        }

        reg_key key;
        wide_string program;
        if (open_company_key(root_tarvo, key, L"inkvale") != ERROR_SUCCESS ||
            !read_registry_string(key, L"postwell", program)) {
            result = result_no_setting;
            return;
        }
        if (program.empty() || program.get()[0] == L'\0') {
            result = result_not_started;
            return;
        }

        // "path" -T"recipient" -S"subject" -M"text" -F"attachment"
        static const wchar_t* const options[4] = {L" -T\"", L" -S\"", L" -M\"", L" -F\""};
        std::wstring quoted[4];
        uint64_t length = wcslen(program.get()) + 2;
        for (int i = 0; i < 4; ++i) {
            quoted[i] = quotable(values[i]);
            length += wcslen(options[i]) + quoted[i].size() + 1;
        }
        // Checked here: some CreateProcessW implementations cut a longer line
        // silently instead of failing.
        if (length + 1 > max_command_line) {
            result = result_not_started;
            return;
        }
        std::wstring command_line;
        command_line.reserve(static_cast<size_t>(length) + 1);
        command_line += L'"';
        command_line += program.get();
        command_line += L'"';
        for (int i = 0; i < 4; ++i) {
            command_line += options[i];
            command_line += quoted[i];
            command_line += L'"';
        }

        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.get(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info)) {
            result = result_not_started;
            return;
        }
        const scoped_handle process(info.hProcess);
        const scoped_handle thread(info.hThread);

        // Ready means the compose dialog is waiting for the user; whether the
        // wait ended that way or by its time-out does not matter.
        WaitForInputIdle(process.get(), ready_wait_ms);
        DWORD exit_code = 0;
        if (!GetExitCodeProcess(process.get(), &exit_code)) {
            result = result_no_exit_code;
            return;
        }
        result = exit_code == STILL_ACTIVE ? 0 : static_cast<jint>(exit_code);
    });
}
