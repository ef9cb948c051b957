// Where the start-up folder is: the folder given, the user's data folder for a program whose
// own folder cannot be written, else the current folder.

#include "packages/WorkingFolders.h"

#include <gtest/gtest.h>

namespace hx {
namespace {

TEST(StartupFolderRule, GivenThenUserDataForAnUnwritableProgramThenCurrent)
{
    struct Row {
        const char* given;
        bool programWritable;
        const char* userData;
        const char* expected;
        StartupReason reason;
    };
    const Row rows[] = {
        {"/given", false, "/data/hangarix", "/given", StartupReason::Given},
        {"/given", true, "/data/hangarix", "/given", StartupReason::Given},
        {"", false, "/data/hangarix", "/data/hangarix", StartupReason::UserData},
        {"", true, "/data/hangarix", "/current", StartupReason::CurrentFolder},
        // No data folder known (no HOME, no LOCALAPPDATA): the current folder, as before.
        {"", false, "", "/current", StartupReason::CurrentFolder},
    };
    for (const Row& row : rows) {
        const StartupFolder chosen =
            chooseStartupFolder(row.given, "/current", row.programWritable, row.userData);
        EXPECT_EQ(chosen.path, row.expected) << row.given << " " << row.programWritable;
        EXPECT_EQ(chosen.reason, row.reason) << row.given << " " << row.programWritable;
    }
}

} // namespace
} // namespace hx
