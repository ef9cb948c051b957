#pragma once
// Number pictures as the download figures use them ("###,###,##0.00 KB", "##0.00%", "00"):
// a 0 is a digit always shown, a # a digit shown when significant, a comma asks for digit
// grouping of the integer part, a point marks the decimals; text before the first and after the
// last of these characters is copied. The value is rounded to the decimals shown.

#include <string>
#include <string_view>

namespace hx {

struct NumberSeparators {
    std::string grouping = ",";
    std::string decimal = ".";
};

// The separators of the user's locale (the environment's LC_NUMERIC on POSIX, the user's
// regional settings on Windows), read once. A locale without a grouping separator, as the
// C/POSIX locale, gives "," and "." so that large figures stay readable.
const NumberSeparators& userNumberSeparators();

std::string formatNumber(double value, std::string_view picture, const NumberSeparators& seps);
inline std::string formatNumber(double value, std::string_view picture)
{
    return formatNumber(value, picture, userNumberSeparators());
}

// A duration shown as a time of day ("01:02:05" in most locales) in the user's long time
// format; whole days are dropped.
std::string formatTimeOfDay(double seconds);

} // namespace hx
