#include "online/NumberFormat.h"

#include "platform/UserLocale.h"

#include <cmath>
#include <cstdio>

namespace hx {

namespace {

constexpr std::string_view kPictureChars = "0#,.";

} // namespace

const NumberSeparators& userNumberSeparators()
{
    static const NumberSeparators seps = [] {
        NumberSeparators s;
        const platform::LocaleNumberSigns signs = platform::userNumberSigns();
        if (!signs.grouping.empty())
            s.grouping = signs.grouping;
        if (!signs.decimal.empty())
            s.decimal = signs.decimal;
        if (s.grouping.empty() || s.grouping == s.decimal)
            s = NumberSeparators{};
        return s;
    }();
    return seps;
}

namespace {

// What a number picture asks for: the text around its digits, how many digits stand at the
// least on each side of the point, how many decimals at the most, and digit grouping.
struct Picture {
    std::string_view prefix, suffix;
    int minIntegerDigits = 0;
    bool grouping = false;
    int decimals = 0;
    int minDecimals = 0;
};

// `picture` holds at least one of kPictureChars.
Picture parsePicture(std::string_view picture)
{
    Picture p;
    const auto first = picture.find_first_of(kPictureChars);
    const auto last = picture.find_last_of(kPictureChars);
    p.prefix = picture.substr(0, first);
    p.suffix = picture.substr(last + 1);
    const std::string_view body = picture.substr(first, last - first + 1);

    const auto point = body.find('.');
    const std::string_view integerPart = body.substr(0, point);
    const std::string_view fractionPart =
        point == std::string_view::npos ? std::string_view{} : body.substr(point + 1);
    for (char c : integerPart) {
        p.minIntegerDigits += c == '0';
        p.grouping = p.grouping || c == ',';
    }
    for (char c : fractionPart) {
        if (c == '0' || c == '#')
            ++p.decimals;
        if (c == '0')
            p.minDecimals = p.decimals;
    }
    return p;
}

// The digits with `separator` between groups of three, counted from the right.
std::string groupDigits(const std::string& digits, const std::string& separator)
{
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

} // namespace

std::string formatNumber(double value, std::string_view picture, const NumberSeparators& seps)
{
    if (picture.find_first_of(kPictureChars) == std::string_view::npos)
        return std::string(picture);
    const Picture p = parsePicture(picture);

    if (!std::isfinite(value))
        value = 0;
    // Half away from zero, as the pictures round; the small nudge keeps 0.125 from becoming
    // 0.12 through its binary representation.
    const double scale = std::pow(10.0, p.decimals);
    double rounded = std::round(std::fabs(value) * scale * (1 + 1e-15)) / scale;
    char digits[512];
    std::snprintf(digits, sizeof digits, "%.*f", p.decimals, rounded);
    std::string text(digits);
    std::string intDigits = text.substr(0, text.find('.'));
    std::string fracDigits = p.decimals > 0 ? text.substr(text.find('.') + 1) : std::string{};
    while (static_cast<int>(fracDigits.size()) > p.minDecimals && !fracDigits.empty() &&
           fracDigits.back() == '0')
        fracDigits.pop_back();
    if (intDigits == "0")
        intDigits.clear();
    while (static_cast<int>(intDigits.size()) < p.minIntegerDigits)
        intDigits.insert(intDigits.begin(), '0');

    std::string out(p.prefix);
    if (value < 0 && rounded != 0)
        out += '-';
    out += p.grouping ? groupDigits(intDigits, seps.grouping) : intDigits;
    if (!fracDigits.empty())
        out += seps.decimal + fracDigits;
    out += p.suffix;
    return out;
}

std::string formatTimeOfDay(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const long long whole = static_cast<long long>(seconds) % 86400;
    const int hour = static_cast<int>(whole / 3600);
    const int minute = static_cast<int>(whole / 60 % 60);
    const int second = static_cast<int>(whole % 60);
    std::string text = platform::userTimeOfDay(hour, minute, second);
    if (text.empty()) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hour, minute, second);
        text = buf;
    }
    return text;
}

} // namespace hx
