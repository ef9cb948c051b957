#include "platform/UserLocale.h"

#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace hx::platform {

namespace {

// The user's locale as the environment names it.
locale_t userLocale()
{
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_ALL_MASK, "", static_cast<locale_t>(0));
        return l ? l : newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    }();
    return loc;
}

} // namespace

LocaleNumberSigns userNumberSigns()
{
    LocaleNumberSigns signs;
    const char* group = nl_langinfo_l(THOUSEP, userLocale());
    const char* point = nl_langinfo_l(RADIXCHAR, userLocale());
    if (group && *group && point && *point) {
        signs.grouping = group;
        signs.decimal = point;
    }
    return signs;
}

std::string userTimeOfDay(int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_mday = 1;
    tm.tm_year = 100;
    char buf[64];
    const std::size_t n = strftime_l(buf, sizeof buf, "%X", &tm, userLocale());
    return std::string(buf, n);
}

} // namespace hx::platform
