#include "platform/NewFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace hx {
namespace {

using test::TempDir;

// A new file is created only where nothing stands yet, and holds exactly what was written.
TEST(NewFile, CreatesOnlyWhereNothingIsAndKeepsWhatWasWritten)
{
    TempDir dir;
    test::writeFile(dir / "old.bmp", "old");
    std::filesystem::create_directory(test::fsPath(dir / "folder"));
    struct Row {
        const char* name;
        bool created;
    };
    const Row rows[] = {
        {"new.bmp", true},
        {"Жук.bmp", true}, // a name outside any ANSI code page
        {"old.bmp", false},
        {"folder", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        platform::NewFile file;
        const bool created = file.create(dir / row.name);
        ASSERT_EQ(created, row.created);
        if (!created) {
            EXPECT_EQ(errno, EEXIST);
            continue;
        }
        ASSERT_TRUE(file.writeAll("BM", 2));
        ASSERT_TRUE(file.writeAll("data", 4));
        ASSERT_TRUE(file.close());
        EXPECT_EQ(test::readFile(dir / row.name), "BMdata");
    }
    EXPECT_EQ(test::readFile(dir / "old.bmp"), "old");
}

#ifndef _WIN32
// A link planted where the file goes is never followed, so nothing is written through it.
TEST(NewFile, NeverFollowsALinkAtItsPlace)
{
    TempDir dir;
    test::writeFile(dir / "target.bmp", "kept");
    std::filesystem::create_symlink(dir / "target.bmp", dir / "link.bmp");
    std::filesystem::create_symlink(dir / "missing.bmp", dir / "dangling.bmp");
    for (const char* name : {"link.bmp", "dangling.bmp"}) {
        platform::NewFile file;
        EXPECT_FALSE(file.create(dir / name)) << name;
    }
    EXPECT_EQ(test::readFile(dir / "target.bmp"), "kept");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.bmp"));
}
#endif

} // namespace
} // namespace hx
