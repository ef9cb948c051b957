#include "packages/SafeName.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace hx {
namespace {

TEST(SafeName, OneRuleForNamesWindowsCanHold)
{
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"Texture.Blue", nullptr},
        {"KZQ_B738", nullptr},
        {"\xC3\xA9t\xC3\xA9.bmp", nullptr},
        {"CONSOLE.txt", nullptr},
        {"COM10", nullptr},
        {"lpt", nullptr},
        {std::string(255, 'n'), nullptr},
        {"", "is empty"},
        {std::string(256, 'n'), "is longer than 255 bytes"},
        {"a/b", "holds a path separator"},
        {"a\\b", "holds a path separator"},
        {"C:", "holds a ':'"},
        {"tab\there", "holds a control character"},
        {"a?b", "holds one of"},
        {"a*b", "holds one of"},
        {"..", "ends in a dot or a space"},
        {"texture ", "ends in a dot or a space"},
        {"CON", "is a device name"},
        {"con.txt", "is a device name"},
        {"Aux .bmp", "is a device name"},
        {"nul.tar.gz", "is a device name"},
        {"COM1", "is a device name"},
        {"lpt9.dds", "is a device name"},
        {"COM\xC2\xB9", "is a device name"},
        {"conout$", "is a device name"},
    };
    for (const auto& [name, problem] : cases) {
        SCOPED_TRACE(name.substr(0, 40));
        const char* found = plainNameProblem(name);
        if (!problem) {
            EXPECT_EQ(found, nullptr) << found;
            EXPECT_TRUE(isPlainName(name));
            continue;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_NE(std::string(found).find(problem), std::string::npos) << found;
        EXPECT_FALSE(isPlainFileName(name));
    }
}

TEST(SafeName, WindowsCaseKeysMatchNamesWindowsTakesForOne)
{
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {"Texture.A", "texture.a", true},
        {"\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89", true}, // Été, éTÉ
        {"\xCE\xA3\xCE\xB1", "\xCF\x83\xCE\x91", true},   // Σα, σΑ
        {"\xD0\x96", "\xD0\xB6", true},                   // Ж, ж
        {"stra\xC3\x9F"
         "e",
         "STRASSE", false},       // ß stays itself
        {"a\xFF", "A\xFF", true}, // not UTF-8: bytes kept
        {"a.bmp", "b.bmp", false},
    };
    for (const auto& [a, b, same] : cases) {
        SCOPED_TRACE(a + " / " + b);
        EXPECT_EQ(windowsCaseKey(a) == windowsCaseKey(b), same);
    }
}

TEST(SafeName, PrintableNamesStayOnOneLine)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain \xC3\xA9.bmp", "plain \xC3\xA9.bmp"},
        {"two\nlines\r\tx", "two\\nlines\\r\\tx"},
        {std::string("nul\0x", 5), "nul\\x00x"},
        {"bad\xFFutf8", "bad\\xFFutf8"},
        {std::string(200, 'a'), std::string(160, 'a') + "..."},
    };
    for (const auto& [name, shown] : cases) {
        SCOPED_TRACE(shown);
        EXPECT_EQ(printableName(name), shown);
    }
}

} // namespace
} // namespace hx
