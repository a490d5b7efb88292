#pragma once

// java.util.Calendar and java.util.Date in the fake Java VM, with as much
// behaviour as DateConverter.toString reads: Calendar.get(int) with the
// field-number constants, and the deprecated getters of Date. Subclasses
// (GregorianCalendar, java.sql.Timestamp) inherit both.

#include <map>

#include "fake_jvm.h"

namespace test_dates {

struct date_time {
    int year, month0, day, hour, minute, second; // month0: 0 is January, as Java counts
};

class java_dates {
public:
    explicit java_dates(fakejvm::vm& vm);

    // A calendar of the given class that answers get() with `value`.
    jobject calendar(const date_time& value, const char* class_name = "java/util/GregorianCalendar");
    // A date of the given class that answers its getters with `value`.
    jobject date(const date_time& value, const char* class_name = "java/util/Date");

    // Changes the number of a Calendar field constant, as another platform
    // version might number it.
    void renumber(const char* field_name, jint number);

    // Makes Calendar.get throw this exception class.
    const char* throw_from_get = nullptr;

private:
    fakejvm::vm& vm_;
    std::map<jint, jint> calendar_fields_; // field number -> value, of the latest calendar
    date_time date_{};
};

} // namespace test_dates
