#pragma once
// What the user's locale says about numbers and times, read without touching the process's
// global locale (other code parses numbers with the C locale's point).

#include <string>

namespace hx::platform {

// The digit-group and decimal signs of the user's locale; empty where it names none.
struct LocaleNumberSigns {
    std::string grouping;
    std::string decimal;
};
LocaleNumberSigns userNumberSigns();

// A time of day in the user's locale's own form ("14:05:09", "2:05:09 PM"); empty when the
// locale cannot write it.
std::string userTimeOfDay(int hour, int minute, int second);

} // namespace hx::platform
