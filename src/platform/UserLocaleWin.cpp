#include "platform/UserLocale.h"

#include "platform/WinApi.h"

namespace hx::platform {

LocaleNumberSigns userNumberSigns()
{
    LocaleNumberSigns signs;
    char buf[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, buf, sizeof buf) > 1)
        signs.grouping = buf;
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof buf) > 1)
        signs.decimal = buf;
    return signs;
}

std::string userTimeOfDay(int hour, int minute, int second)
{
    SYSTEMTIME st{};
    st.wYear = 2000;
    st.wMonth = 1;
    st.wDay = 1;
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    char buf[64];
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, sizeof buf) > 0)
        return buf;
    return {};
}

} // namespace hx::platform
