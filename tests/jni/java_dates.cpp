#include "java_dates.h"

#include <string>

namespace test_dates {

namespace {

// The numbers java.util.Calendar gives its fields.
constexpr jint year_field = 1, month_field = 2, day_field = 5, hour_field = 11, minute_field = 12, second_field = 13;

} // namespace

java_dates::java_dates(fakejvm::vm& vm) : vm_(vm)
{
    fakejvm::klass& calendar = vm_.define_class("java/util/Calendar");
    calendar.add_static_field("YEAR", "I", fakejvm::jv_int(year_field))
        .add_static_field("MONTH", "I", fakejvm::jv_int(month_field))
        .add_static_field("DAY_OF_MONTH", "I", fakejvm::jv_int(day_field))
        .add_static_field("HOUR_OF_DAY", "I", fakejvm::jv_int(hour_field))
        .add_static_field("MINUTE", "I", fakejvm::jv_int(minute_field))
        .add_static_field("SECOND", "I", fakejvm::jv_int(second_field))
        .add_method("get", "(I)I", [this](JNIEnv* env, jobject, const jvalue* args) {
            if (throw_from_get) {
                vm_.throw_new(env, throw_from_get, u"field out of range");
                return fakejvm::jv_int(0);
            }
            auto it = calendar_fields_.find(args[0].i);
            return fakejvm::jv_int(it == calendar_fields_.end() ? -999 : it->second);
        });
    vm_.define_class("java/util/GregorianCalendar", "java/util/Calendar");

    auto getter = [this](int date_time::*member) {
        return [this, member](JNIEnv*, jobject, const jvalue*) { return fakejvm::jv_int(date_.*member); };
    };
    vm_.define_class("java/util/Date")
        .add_method("getYear", "()I",
                    [this](JNIEnv*, jobject, const jvalue*) { return fakejvm::jv_int(date_.year - 1900); })
        .add_method("getMonth", "()I", getter(&date_time::month0))
        .add_method("getDate", "()I", getter(&date_time::day))
        .add_method("getHours", "()I", getter(&date_time::hour))
        .add_method("getMinutes", "()I", getter(&date_time::minute))
        .add_method("getSeconds", "()I", getter(&date_time::second));
    vm_.define_class("java/sql/Timestamp", "java/util/Date");
}

jobject java_dates::calendar(const date_time& value, const char* class_name)
{
    calendar_fields_.clear();
    auto number = [this](const char* name) {
        return vm_.find_class("java/util/Calendar")->find_field(name, "I", true)->static_value.i;
    };
    calendar_fields_[number("YEAR")] = value.year;
    calendar_fields_[number("MONTH")] = value.month0;
    calendar_fields_[number("DAY_OF_MONTH")] = value.day;
    calendar_fields_[number("HOUR_OF_DAY")] = value.hour;
    calendar_fields_[number("MINUTE")] = value.minute;
    calendar_fields_[number("SECOND")] = value.second;
    return vm_.new_object(class_name);
}

jobject java_dates::date(const date_time& value, const char* class_name)
{
    date_ = value;
    return vm_.new_object(class_name);
}

void java_dates::renumber(const char* field_name, jint number)
{
    vm_.find_class("java/util/Calendar")->find_field(field_name, "I", true)->static_value.i = number;
}

} // namespace test_dates
