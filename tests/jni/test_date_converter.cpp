// DateConverter.toString through the DLL's export: Calendar, Date and the
// current time, the four format codes, the user's regional settings, and the
// failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fake_jvm.h"
#include "java_dates.h"
#include "test_support.h"

namespace {

using to_string_native = jstring(JNICALL*)(JNIEnv*, jclass, jobject, jint);

const wchar_t international_key[] = L"Control Panel\\International";

// What the system's formatter makes of a SYSTEMTIME with a format code, in
// the user's current regional settings.
std::u16string formatted(const SYSTEMTIME& time, int code)
{
    wchar_t buffer[256] = {};
    switch (code) {
    case 0: GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, buffer, 256); break;
    case 1: GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, buffer, 256); break;
    case 2: GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, buffer, 256); break;
    case 3: GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, buffer, 256); break;
    }
    return test_support::u16(buffer);
}

SYSTEMTIME system_time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

struct DateConverter : ::testing::Test {
    fakejvm::vm vm;
    JNIEnv* env = vm.env();
    test_dates::java_dates dates{vm};
    to_string_native to_string =
        test_support::jni_export<to_string_native>("_Java_com_morvalent_signature_DateConverter_toString@16");

    // The native's result for one code, with no exception expected.
    std::u16string text_of(jobject date, jint code)
    {
        jstring text = to_string(env, nullptr, date, code);
        EXPECT_FALSE(vm.exception_pending()) << test_support::narrow(vm.pending_message());
        EXPECT_NE(text, nullptr);
        return vm.string_of(text);
    }

    void expect_exception(jobject date, jint code, const char16_t* message)
    {
        EXPECT_EQ(to_string(env, nullptr, date, code), nullptr);
        EXPECT_EQ(vm.pending_class(), "java/lang/Exception");
        EXPECT_EQ(vm.pending_message(), message);
        vm.clear_exception();
    }
};

TEST_F(DateConverter, CalendarsOfAnySubclassAreReadThroughGet)
{
    ASSERT_NE(to_string, nullptr);
    // January is month 0 in Java and month 1 in Windows.
    const SYSTEMTIME expected = system_time(2014, 1, 7, 13, 7, 9);
    for (const char* cls : {"java/util/Calendar", "java/util/GregorianCalendar"}) {
        SCOPED_TRACE(cls);
        for (int code = 0; code <= 3; ++code) {
            SCOPED_TRACE(code);
            const std::u16string text = text_of(dates.calendar({2014, 0, 7, 13, 7, 9}, cls), code);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(text, formatted(expected, code));
        }
    }
}

TEST_F(DateConverter, CalendarFieldNumbersComeFromTheClassAtEveryCall)
{
    EXPECT_EQ(text_of(dates.calendar({2014, 0, 7, 13, 7, 9}), 0), formatted(system_time(2014, 1, 7, 0, 0, 0), 0));
    // A platform that numbered its fields otherwise is read with its own numbers.
    dates.renumber("YEAR", 2);
    dates.renumber("MONTH", 1);
    dates.renumber("SECOND", 40);
    jobject date = dates.calendar({1999, 11, 31, 23, 59, 58});
    EXPECT_EQ(text_of(date, 0), formatted(system_time(1999, 12, 31, 0, 0, 0), 0));
    EXPECT_EQ(text_of(date, 3), formatted(system_time(1999, 12, 31, 23, 59, 58), 3));
}

TEST_F(DateConverter, DatesOfAnySubclassAreReadThroughTheirGetters)
{
    // getYear() counts from 1900 (114 is 2014), getMonth() from 0.
    const SYSTEMTIME expected = system_time(2014, 3, 28, 8, 45, 30);
    for (const char* cls : {"java/util/Date", "java/sql/Timestamp"}) {
        SCOPED_TRACE(cls);
        for (int code = 0; code <= 3; ++code) {
            SCOPED_TRACE(code);
            EXPECT_EQ(text_of(dates.date({2014, 2, 28, 8, 45, 30}, cls), code), formatted(expected, code));
        }
    }
}

TEST_F(DateConverter, NullIsTheCurrentLocalTime)
{
    // The clock may tick between the call and the reference; one of the two
    // moments around the call matches.
    for (int code = 0; code <= 3; ++code) {
        SCOPED_TRACE(code);
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        const std::u16string text = text_of(nullptr, code);
        GetLocalTime(&after);
        EXPECT_FALSE(text.empty());
        EXPECT_TRUE(text == formatted(before, code) || text == formatted(after, code)) << test_support::narrow(text);
    }
    // Code 3 shows the seconds and code 2 does not: in any time format
    // one more separated field.
    const auto fields = [](const std::u16string& text) {
        return std::count_if(text.begin(), text.end(), [](char16_t c) { return c < u'0' || c > u'9'; });
    };
    EXPECT_GT(fields(text_of(nullptr, 3)), fields(text_of(nullptr, 2)));
}

TEST_F(DateConverter, FormatCodesOutsideZeroToThreeAreRefused)
{
    for (jint code : {4, -1, 0x7fffffff}) {
        SCOPED_TRACE(code);
        expect_exception(dates.calendar({2014, 0, 7, 13, 7, 9}), code, u"Invalid format value");
        expect_exception(nullptr, code, u"Invalid format value");
    }
}

TEST_F(DateConverter, AnObjectOfAnotherKindIsReportedBeforeTheCode)
{
    // The date is converted first: a bad code with it goes unmentioned.
    for (jint code : {0, 7}) {
        SCOPED_TRACE(code);
        expect_exception(vm.new_string(u"2014-01-07"), code, u"Unable to convert date object");
    }
}

TEST_F(DateConverter, ADateTheFormatterRefusesGivesTheEmptyString)
{
    // Month 12 in Java is month 13 in Windows; hour 25 exists nowhere.
    EXPECT_EQ(text_of(dates.calendar({2014, 12, 7, 13, 7, 9}), 0), u"");
    EXPECT_EQ(text_of(dates.date({2014, 0, 7, 25, 7, 9}), 3), u"");
    // Only the low 16 bits of each Java int reach the SYSTEMTIME.
    EXPECT_EQ(text_of(dates.calendar({0x10000 + 2014, 0, 7, 13, 7, 9}), 0),
              formatted(system_time(2014, 1, 7, 13, 7, 9), 0));
}

TEST_F(DateConverter, AnExceptionThrownByGetStaysPending)
{
    dates.throw_from_get = "java/lang/ArrayIndexOutOfBoundsException";
    EXPECT_EQ(to_string(env, nullptr, dates.calendar({2014, 0, 7, 13, 7, 9}), 0), nullptr);
    EXPECT_EQ(vm.pending_class(), "java/lang/ArrayIndexOutOfBoundsException");
    EXPECT_EQ(vm.pending_message(), u"field out of range");
    vm.clear_exception();
    // The fake VM reports any JNI call made while it was pending.
    EXPECT_TRUE(vm.violations().empty());
}

TEST_F(DateConverter, AVmWithoutMemoryForTheResultLeavesItsError)
{
    vm.fail_next("NewString");
    EXPECT_EQ(to_string(env, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(vm.pending_class(), "java/lang/OutOfMemoryError");
    vm.clear_exception();
}

// A user's regional setting, changed for one test and put back afterwards.
class regional_setting {
public:
    regional_setting(const wchar_t* name, const std::wstring& value) : name_(name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, international_key, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            wchar_t old[256] = {};
            DWORD size = sizeof(old) - sizeof(wchar_t);
            DWORD type = 0;
            had_value_ = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
                             ERROR_SUCCESS && type == REG_SZ;
            if (had_value_) old_value_ = old;
            RegCloseKey(key);
        }
        test_support::set_registry_string(HKEY_CURRENT_USER, international_key, name, value);
    }
    ~regional_setting()
    {
        if (had_value_) test_support::set_registry_string(HKEY_CURRENT_USER, international_key, name_, old_value_);
        else test_support::delete_registry_value(HKEY_CURRENT_USER, international_key, name_);
    }
    regional_setting(const regional_setting&) = delete;
    regional_setting& operator=(const regional_setting&) = delete;

private:
    const wchar_t* name_;
    bool had_value_ = false;
    std::wstring old_value_;
};

TEST(DateConverterRegionalSettings, TheUsersChangedFormatsShowInTheResult)
{
    // A process reads the user's formats once and keeps them, so the dates
    // are formatted by a child process started after the change.
    std::string output;
    {
        const regional_setting short_date(L"sShortDate", L"yyyy|MM|dd");
        const regional_setting long_date(L"sLongDate", L"'long' dd.MM.yyyy");
        const regional_setting time_format(L"sTimeFormat", L"HH.mm.ss");
        const test_support::process_result run =
            test_support::run_process(L"\"" + test_support::program_folder() + L"date_child.exe\"");
        ASSERT_TRUE(run.started);
        ASSERT_TRUE(run.finished);
        ASSERT_EQ(run.exit_code, 0u) << run.output;
        output = run.output;
    }
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    EXPECT_EQ(output, "2014|01|07\nlong 07.01.2014\n13.07\n13.07.09\n");
}

} // namespace
