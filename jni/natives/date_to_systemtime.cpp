#include "date_to_systemtime.h"

namespace morvalent::jni {

namespace {

// SYSTEMTIME fields are 16 bits wide: the low bits of the Java int (plus the
// offset between the Java and the Windows way of counting) are kept without a
// range check, and the formatter judges the result. Unsigned arithmetic, so
// that no Java value overflows.
WORD low_word(jint value, DWORD offset = 0) noexcept
{
    return static_cast<WORD>((static_cast<DWORD>(value) + offset) & 0xFFFFu);
}

bool calendar_to_systemtime(JNIEnv* env, jclass calendar, jobject date, SYSTEMTIME& out) noexcept
{
    jmethodID get = env->GetMethodID(calendar, "get", "(I)I");
    if (!get) return false;

    // The field numbers are read from the class at every call, never built in.
    static const char* const field_names[] = {"YEAR", "MONTH", "DAY_OF_MONTH", "HOUR_OF_DAY", "MINUTE", "SECOND"};
    constexpr int field_count = sizeof(field_names) / sizeof(field_names[0]);
    jfieldID fields[field_count];
    for (int i = 0; i < field_count; ++i) {
        fields[i] = env->GetStaticFieldID(calendar, field_names[i], "I");
        if (!fields[i]) return false;
    }

    jint values[field_count];
    for (int i = 0; i < field_count; ++i) {
        const jint number = env->GetStaticIntField(calendar, fields[i]);
        values[i] = env->CallIntMethod(date, get, number);
        if (env->ExceptionCheck()) return false;
    }

    SYSTEMTIME time{};
    time.wYear = low_word(values[0]);
    time.wMonth = low_word(values[1], 1); // Calendar counts months from 0
    time.wDay = low_word(values[2]);
    time.wHour = low_word(values[3]);
    time.wMinute = low_word(values[4]);
    time.wSecond = low_word(values[5]);
    out = time;
    return true;
}

bool date_getters_to_systemtime(JNIEnv* env, jclass date_class, jobject date, SYSTEMTIME& out) noexcept
{
    static const char* const getter_names[] = {"getYear", "getMonth", "getDate", "getHours", "getMinutes", "getSeconds"};
    constexpr int getter_count = sizeof(getter_names) / sizeof(getter_names[0]);
    jmethodID getters[getter_count];
    for (int i = 0; i < getter_count; ++i) {
        getters[i] = env->GetMethodID(date_class, getter_names[i], "()I");
        if (!getters[i]) return false;
    }

    jint values[getter_count];
    for (int i = 0; i < getter_count; ++i) {
        values[i] = env->CallIntMethod(date, getters[i]);
        if (env->ExceptionCheck()) return false;
    }

    SYSTEMTIME time{};
    time.wYear = low_word(values[0], 1900); // Date counts years from 1900
    time.wMonth = low_word(values[1], 1);    // and months from 0
    time.wDay = low_word(values[2]);
    time.wHour = low_word(values[3]);
    time.wMinute = low_word(values[4]);
    time.wSecond = low_word(values[5]);
    out = time;
    return true;
}

} // namespace

bool date_to_systemtime(JNIEnv* env, jobject date, SYSTEMTIME& out) noexcept
{
    if (!env || !date) return false;

    jclass date_class = env->FindClass("java/util/Date");
    if (!date_class) return false;
    jclass calendar_class = env->FindClass("java/util/Calendar");
    if (!calendar_class) return false;

    if (env->IsInstanceOf(date, calendar_class)) return calendar_to_systemtime(env, calendar_class, date, out);
    if (env->IsInstanceOf(date, date_class)) return date_getters_to_systemtime(env, date_class, date, out);
    return false;
}

} // namespace morvalent::jni
