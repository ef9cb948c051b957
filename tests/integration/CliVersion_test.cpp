// hangarix-cli --version and --help: the project's one version number, from the build.

#include "support/TempDir.h"

#include <Version.h>
#include <gtest/gtest.h>

#include <string>

namespace hx {
namespace {

TEST(CliVersion, PrintsTheProjectVersionAndHelpNamesTheOption)
{
    const auto version = test::runProcess(test::shellQuote(HX_CLI_PATH) + " --version");
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out, std::string("hangarix-cli ") + kVersion + "\n");
    EXPECT_NE(std::string(kVersion).find('.'), std::string::npos); // major.minor.patch

    const auto help = test::runProcess(test::shellQuote(HX_CLI_PATH) + " --help");
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_NE(help.out.find("--version"), std::string::npos);
}

} // namespace
} // namespace hx
