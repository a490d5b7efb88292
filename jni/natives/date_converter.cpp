#include <windows.h>

#include <jni.h>

#include "../support/jni_support.h"
#include "com_native.h"
#include "date_to_systemtime.h"

using namespace morvalent::jni;

namespace {

constexpr int result_chars = 256;

// Format codes of DateConverter: 0 short date, 1 long date, 2 time without
// seconds, 3 time with seconds; all in the user's regional format.
enum : unsigned { short_date = 0, long_date = 1, time_no_seconds = 2, time_with_seconds = 3 };

void format_time(unsigned code, const SYSTEMTIME& time, wchar_t* buffer) noexcept
{
    // The formatters' results are not looked at: one that writes nothing
    // leaves the zero-filled buffer empty, and the caller gets "".
    switch (code) {
    case short_date:
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, result_chars);
        break;
    case long_date:
        GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, buffer, result_chars);
        break;
    case time_no_seconds:
        GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, buffer, result_chars);
        break;
    case time_with_seconds:
        GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer, result_chars);
        break;
    }
}

} // namespace

// A Calendar, a Date or the current time (for null) as text in the user's
// regional format. The date is converted before the code is looked at.
extern "C" jstring JNICALL Java_com_morvalent_signature_DateConverter_toString(JNIEnv* env, jclass, jobject date,
                                                                              jint format)
{
    return run_com_native<jstring>(env, nullptr, [&](jstring& result) {
        wchar_t buffer[result_chars] = {};

        SYSTEMTIME time;
        if (!date) {
            GetLocalTime(&time);
        } else if (!date_to_systemtime(env, date, time)) {
            // An exception thrown by the date's own methods stays as it is.
            if (!env->ExceptionCheck()) throw_exception(env, L"Unable to convert date object");
            return;
        }

        const unsigned code = static_cast<unsigned>(format);
        if (code > time_with_seconds) {
            throw_exception(env, L"Invalid format value");
            return;
        }
        format_time(code, time, buffer);
        buffer[result_chars - 1] = L'\0';
        to_jstring(env, buffer, result);
    });
}
