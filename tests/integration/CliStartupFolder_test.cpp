// The real programs choose their start-up folder: a copy of hangarix-cli in a folder it cannot
// write (read-only for a user, immutable for root, as /usr/bin is for an installed program)
// keeps its working folders in the user's data folder, and one in a writable folder keeps them
// in the current folder.

#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>

namespace hx {
namespace {

#ifndef _WIN32
// Makes a folder unwritable for this process, root included, until destroyed.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const std::string& path) : path_(path)
    {
        std::filesystem::permissions(path, std::filesystem::perms(0555));
        if (::geteuid() != 0) {
            ok_ = true;
            return;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            ok_ = immutable_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0)
            ::close(fd);
    }
    ~UnwritableFolder()
    {
        if (immutable_) {
            const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                (void)::ioctl(fd, FS_IOC_SETFLAGS, &flags);
            }
            if (fd >= 0)
                ::close(fd);
        }
        std::filesystem::permissions(path_, std::filesystem::perms(0755));
    }
    bool ok() const { return ok_; }

private:
    std::string path_;
    bool ok_ = false;
    bool immutable_ = false;
};

TEST(CliStartupFolder, AnUnwritableProgramKeepsItsWorkingFoldersInTheUserDataFolder)
{
    struct Row {
        const char* name;
        bool programWritable;
        const char* environment; // {t} stands for the test's folder
        const char* options;
        const char* expected; // relative to the test's folder
    };
    const Row rows[] = {
        {"XDG_DATA_HOME", false, "XDG_DATA_HOME={t}/xdg HOME={t}/home", "", "xdg/hangarix"},
        {"default", false, "HOME={t}/home", "", "home/.local/share/hangarix"},
        // A relative XDG_DATA_HOME is invalid: the default stands.
        {"relative XDG", false, "XDG_DATA_HOME=xdg HOME={t}/home", "",
         "home/.local/share/hangarix"},
        {"-C wins", false, "XDG_DATA_HOME={t}/xdg HOME={t}/home", "-C {t}/given", "given"},
        {"writable", true, "XDG_DATA_HOME={t}/xdg HOME={t}/home", "", "cwd"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        test::TempDir t;
        const auto fill = [&](std::string text) {
            for (std::size_t at; (at = text.find("{t}")) != std::string::npos;)
                text.replace(at, 3, t.path());
            return text;
        };
        test::makeFolders(t / "bin");
        test::makeFolders(t / "cwd");
        test::makeFolders(t / "given");
        test::makeFolders(t / "home");
        std::filesystem::copy_file(HX_CLI_PATH, t / "bin/hangarix-cli");
        std::optional<UnwritableFolder> locked;
        if (!row.programWritable) {
            locked.emplace(t / "bin");
            if (!locked->ok())
                GTEST_SKIP() << "this file system cannot make a folder immutable for root";
        }
        const std::string line = "cd " + test::shellQuote(t / "cwd") + " && env -u XDG_DATA_HOME " +
                                 fill(row.environment) + " " +
                                 test::shellQuote(t / "bin/hangarix-cli") + " " +
                                 fill(row.options) + " ";
        const std::string expected = t / row.expected;

        const auto help = test::runProcess(line + "--help");
        ASSERT_EQ(help.exitCode, 0) << help.err;
        EXPECT_NE(help.out.find("This time: " + expected + " ("), std::string::npos) << help.out;

        const auto run = test::runProcess(line + "--sim none packages");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        for (const char* folder : {"downloads", "tempzip", "templiv", "images"})
            EXPECT_TRUE(test::exists(expected + "/" + folder)) << folder;
        if (std::string(row.expected) != "cwd") {
            EXPECT_FALSE(test::exists(t / "cwd/downloads"));
        }
    }
}
#endif

} // namespace
} // namespace hx
