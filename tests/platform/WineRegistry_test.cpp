#include "platform/Errors.h"
#include "platform/Registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace hx::platform;
using hx::test::TempDir;
using hx::test::writeFile;

namespace {

constexpr const char* kFs9 = "software\\microsoft\\microsoft games\\flight simulator\\9.0";
constexpr const char* kFsx = "software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0";

std::unique_ptr<Registry> registryWith(const TempDir& prefix, const std::string& body)
{
    writeFile(prefix / "system.reg", "WINE REGISTRY Version 2\n"
                                     ";; All keys relative to \\\\Machine\n\n"
                                     "#arch=win64\n\n" +
                                         body);
    return openWineRegistry(prefix.path());
}

std::string registryErrorText(const Registry& r, const char* key, const char* value)
{
    try {
        r.readString(key, value);
    } catch (const hx::RegistryError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(WineRegistry, ReadsThe32BitViewFirstWithNamesInAnyCase)
{
    TempDir prefix;
    const auto reg = registryWith(
        prefix,
        "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] 1700000000\n"
        "#time=1da0c4f7d3a3b10\n"
        "\"EXE Path\"=\"D:\\\\64-bit view\"\n\n"
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\9.0] "
        "1700000000\n"
        "#time=1da0c4f7d3a3b10\n"
        "\"EXE Path\"=\"D:\\\\32-bit view\"\n\n"
        "[Software\\\\Microsoft\\\\Microsoft Games\\\\Flight Simulator\\\\10.0] 1700000000\n"
        "\"SetupPath\"=\"E:\\\\FSX\\\\\"\n");

    EXPECT_TRUE(reg->keyOpens(kFs9));
    EXPECT_EQ(reg->readString(kFs9, "exe path"), "D:\\32-bit view");
    EXPECT_EQ(
        reg->readString("SOFTWARE\\MICROSOFT\\MICROSOFT GAMES\\FLIGHT SIMULATOR\\9.0", "EXE PATH"),
        "D:\\32-bit view");
    // FSX is only in the 64-bit place: found there, as given.
    EXPECT_TRUE(reg->keyOpens(kFsx));
    EXPECT_EQ(reg->readString(kFsx, "setuppath"), "E:\\FSX\\");
    // Keys that hold only subkeys exist too.
    EXPECT_TRUE(reg->keyOpens("Software\\Microsoft\\Microsoft Games"));
    EXPECT_FALSE(reg->keyOpens("Software\\Microsoft\\Microsoft Game"));
    EXPECT_FALSE(reg->keyOpens("software\\microsoft\\microsoft games\\flight simulator\\9"));
    EXPECT_EQ(reg->readString(kFs9, "SetupPath"), std::nullopt);
    EXPECT_EQ(reg->readString("Software\\Nothing", "exe path"), std::nullopt);
}

TEST(WineRegistry, UndoesEscapesAndCutsStringsAtTheirFirstNul)
{
    TempDir prefix;
    const auto reg = registryWith(
        prefix, "[Software\\\\Test\\\\Key\\]x] 1\n"
                "\"Escapes\"=\"a\\\\b\\\"c\\td\\n\\x00e9\\101\\x4e2d\\xd83d\\xde00!\"\n"
                "\"Cut\"=\"abc\\0def\"\n"
                "\"Quote \\\"name\\\"\"=\"q\"\n"
                "\"Expand\"=str(2):\"%ProgramFiles%\\\\FS9\"\n"
                "\"Empty\"=\"\"\n"
                "@=\"default\"\n"
                "\"Hex1\"=hex(1):46,00,53,00,39,00\n"
                "\"Hex2\"=hex(2):25,00,41,00,25,00,5c,00,\\\n"
                "  46,00,00,00,5a,00\n"
                "\"Raw\"=\"caf\xc3\xa9\"\r\n");

    ASSERT_TRUE(reg->keyOpens("software\\test\\key]x"));
    EXPECT_EQ(reg->readString("software\\test\\key]x", "escapes"),
              "a\\b\"c\td\n\xc3\xa9"
              "A\xe4\xb8\xad\xf0\x9f\x98\x80!");
    EXPECT_EQ(reg->readString("software\\test\\key]x", "Cut"), "abc");
    EXPECT_EQ(reg->readString("software\\test\\key]x", "quote \"NAME\""), "q");
    EXPECT_EQ(reg->readString("software\\test\\key]x", "Expand"), "%ProgramFiles%\\FS9");
    EXPECT_EQ(reg->readString("software\\test\\key]x", "Empty"), "");
    EXPECT_EQ(reg->readString("software\\test\\key]x", ""), "default");
    EXPECT_EQ(reg->readString("software\\test\\key]x", "Hex1"), "FS9");
    EXPECT_EQ(reg->readString("software\\test\\key]x", "Hex2"), "%A%\\F");
    EXPECT_EQ(reg->readString("software\\test\\key]x", "Raw"), "caf\xc3\xa9");
}

TEST(WineRegistry, OtherTypesRaiseTheInvalidDataTypeError)
{
    TempDir prefix;
    const auto reg = registryWith(prefix, "[Software\\\\T] 1\n"
                                          "\"Count\"=dword:00000001\n"
                                          "\"Blob\"=hex:01,02,\\\n"
                                          "  03\n"
                                          "\"Multi\"=str(7):\"a\\0b\\0\"\n"
                                          "\"MultiHex\"=hex(7):41,00,00,00,00,00\n"
                                          "\"After\"=\"still read\"\n");
    EXPECT_EQ(registryErrorText(*reg, "Software\\T", "Count"), "Invalid data type for 'Count'");
    EXPECT_EQ(registryErrorText(*reg, "Software\\T", "blob"), "Invalid data type for 'blob'");
    EXPECT_EQ(registryErrorText(*reg, "Software\\T", "Multi"), "Invalid data type for 'Multi'");
    EXPECT_EQ(registryErrorText(*reg, "Software\\T", "MultiHex"),
              "Invalid data type for 'MultiHex'");
    // The continued hex line did not swallow the next value.
    EXPECT_EQ(reg->readString("Software\\T", "After"), "still read");
}

TEST(WineRegistry, MapsDriveLettersToThePrefixFolders)
{
    HX_SKIP_ON_WINDOWS("a prefix's drive links are symbolic links, which the MinGW run-time does "
                       "not create; Wine's own prefixes exist only outside Windows");
    TempDir prefix;
    TempDir elsewhere;
    fs::create_directories(prefix / "drive_c");
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink(elsewhere.path(), prefix / "dosdevices/d:");
    fs::create_directory_symlink("/", prefix / "dosdevices/z:");
    const auto reg = registryWith(prefix, "[Software\\\\Paths] 1\n"
                                          "\"C\"=\"C:\\\\Program Files\\\\FS9\\\\\"\n"
                                          "\"Lower\"=\"c:\\\\fs9\"\n"
                                          "\"D\"=\"D:\\\\Games\\\\FSX\"\n"
                                          "\"Z\"=\"Z:\\\\home\\\\pilot\\\\FS9\"\n"
                                          "\"E\"=\"E:\\\\FS9\"\n"
                                          "\"Root\"=\"C:\\\\\"\n"
                                          "\"Relative\"=\"FS9\\\\x\"\n"
                                          "\"Unc\"=\"\\\\\\\\server\\\\fs9\"\n");
    // No dosdevices link for C: -> the prefix's drive_c.
    EXPECT_EQ(reg->readString("Software\\Paths", "C"),
              prefix.path() + "/drive_c/Program Files/FS9/");
    EXPECT_EQ(reg->readString("Software\\Paths", "Lower"), prefix.path() + "/drive_c/fs9");
    EXPECT_EQ(reg->readString("Software\\Paths", "Root"), prefix.path() + "/drive_c/");
    EXPECT_EQ(reg->readString("Software\\Paths", "D"),
              fs::canonical(elsewhere.path()).string() + "/Games/FSX");
    EXPECT_EQ(reg->readString("Software\\Paths", "Z"), "/home/pilot/FS9");
    // Drives the prefix does not know, and paths without a drive, stay as stored.
    EXPECT_EQ(reg->readString("Software\\Paths", "E"), "E:\\FS9");
    EXPECT_EQ(reg->readString("Software\\Paths", "Relative"), "FS9\\x");
    EXPECT_EQ(reg->readString("Software\\Paths", "Unc"), "\\\\server\\fs9");
}

TEST(WineRegistry, AMissingOrForeignFileOpensNoKey)
{
    TempDir prefix;
    EXPECT_FALSE(openWineRegistry(prefix.path())->keyOpens("Software"));
    writeFile(prefix / "system.reg", "REGEDIT4\n\n[Software\\\\A] 1\n\"V\"=\"x\"\n");
    const auto reg = openWineRegistry(prefix.path());
    EXPECT_FALSE(reg->keyOpens("Software\\A"));
    EXPECT_EQ(reg->readString("Software\\A", "V"), std::nullopt);
}

TEST(WineRegistry, TheMachineRegistryIsTheOneOfWinePrefix)
{
    HX_SKIP_ON_WINDOWS("the machine's registry is Windows' own there");
#ifndef _WIN32
    TempDir prefix;
    registryWith(prefix, "[Software\\\\Wow6432Node\\\\Microsoft\\\\Microsoft Games\\\\Flight "
                         "Simulator\\\\10.0] 1\n\"SetupPath\"=\"C:\\\\FSX\"\n");
    const char* old = std::getenv("WINEPREFIX");
    const std::string saved = old ? old : "";
    setenv("WINEPREFIX", prefix.path().c_str(), 1);
    const auto reg = openMachineRegistry();
    if (old)
        setenv("WINEPREFIX", saved.c_str(), 1);
    else
        unsetenv("WINEPREFIX");
    EXPECT_EQ(reg->readString(kFsx, "SetupPath"), prefix.path() + "/drive_c/FSX");
#endif
}
