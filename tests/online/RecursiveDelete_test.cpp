#include "online/RecursiveDelete.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace hx {
namespace {

using test::exists;
using test::readFile;
using test::TempDir;
using test::writeFile;

namespace fs = std::filesystem;

void makeReadOnly(const std::string& path)
{
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

// A file that nobody, not even root, can delete: the immutable flag of ext4 and friends; on
// Windows, a handle kept open without delete sharing.
class ImmutableFile {
public:
    explicit ImmutableFile(std::string path) : path_(std::move(path))
    {
        writeFile(path_, "stuck");
        ok_ = setFlag(true);
    }
    ~ImmutableFile() { setFlag(false); }
    bool ok() const { return ok_; }

private:
#ifdef _WIN32
    bool setFlag(bool on)
    {
        if (!on)
            return handle_ == INVALID_HANDLE_VALUE || ::CloseHandle(handle_);
        handle_ = ::CreateFileW(test::fsPath(path_).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return handle_ != INVALID_HANDLE_VALUE;
    }
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    bool setFlag(bool on)
    {
        const int fd = ::open(path_.c_str(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }
#endif
    std::string path_;
    bool ok_ = false;
};

TEST(RecursiveDelete, RemovesReadOnlyAndHiddenEntriesAtEveryDepth)
{
    TempDir dir;
    const std::string templiv = dir / "templiv";
    writeFile(templiv + "/Pkg/installerinfo.txt", "x");
    writeFile(templiv + "/Pkg/texture.A/.hidden.bmp", "x");
    writeFile(templiv + "/Pkg/texture.A/ro.bmp", "x");
    writeFile(templiv + "/.hiddenfolder/ro/deep.txt", "x");
    writeFile(templiv + "/top.txt", "x");
    makeReadOnly(templiv + "/Pkg/texture.A/ro.bmp");
    makeReadOnly(templiv + "/.hiddenfolder/ro/deep.txt");
    // Read-only folders: the folder's own flags must not stop it from being emptied and removed.
    makeReadOnly(templiv + "/.hiddenfolder/ro");
    makeReadOnly(templiv + "/Pkg/texture.A");

    EXPECT_TRUE(recursiveDelete(templiv, {.clearReadOnly = true}));
    EXPECT_TRUE(fs::is_directory(templiv));
    EXPECT_TRUE(fs::is_empty(templiv));

    writeFile(templiv + "/a/b/c.txt", "x");
    EXPECT_TRUE(recursiveDelete(
        templiv, {.clearReadOnly = true, .stopAtFirstFailure = true, .removeFolderItself = true}));
    EXPECT_FALSE(exists(templiv));
    EXPECT_FALSE(recursiveDelete(templiv, {.clearReadOnly = true})) << "a missing folder";
}

TEST(RecursiveDelete, DeletesLinksWithoutFollowingThem)
{
    TempDir dir;
    writeFile(dir / "outside/keep.txt", "keep");
    writeFile(dir / "outside/sub/keep2.txt", "keep");
    makeReadOnly(dir / "outside/keep.txt");
    writeFile(dir / "templiv/Pkg/a.txt", "x");
    std::error_code noLinks;
    fs::create_directory_symlink(dir / "outside", dir / "templiv/Pkg/folderlink", noLinks);
    if (noLinks)
        GTEST_SKIP() << "symbolic links cannot be made here: " << noLinks.message();
    fs::create_symlink(dir / "outside/keep.txt", dir / "templiv/filelink");
    fs::create_symlink(dir / "nowhere", dir / "templiv/dangling");

    EXPECT_TRUE(recursiveDelete(dir / "templiv", {.clearReadOnly = true}));
    EXPECT_TRUE(fs::is_empty(dir / "templiv"));
    EXPECT_EQ(readFile(dir / "outside/keep.txt"), "keep");
    EXPECT_EQ(readFile(dir / "outside/sub/keep2.txt"), "keep");
    const auto perms = fs::status(dir / "outside/keep.txt").permissions();
    EXPECT_EQ(perms & fs::perms::owner_write, fs::perms::none) << "the target's flags stay";
}

TEST(RecursiveDelete, ReportsAnyEntryThatStays)
{
    TempDir dir;
    const std::string folder = dir / "templiv";
    writeFile(folder + "/a.txt", "x");
    writeFile(folder + "/sub/b.txt", "x");
    ImmutableFile stuck(folder + "/sub/stuck.txt");
    if (!stuck.ok())
        GTEST_SKIP() << "the file system cannot make a file undeletable here";
    writeFile(folder + "/z.txt", "x");

    // Whatever the listing order, the result says that something stayed.
    EXPECT_FALSE(recursiveDelete(folder, {.clearReadOnly = true, .removeFolderItself = true}));
    EXPECT_TRUE(exists(folder + "/sub/stuck.txt"));
    EXPECT_FALSE(exists(folder + "/sub/b.txt"));
    EXPECT_FALSE(exists(folder + "/a.txt"));
    EXPECT_FALSE(exists(folder + "/z.txt"));
    EXPECT_TRUE(exists(folder));

    writeFile(folder + "/c.txt", "x");
    EXPECT_FALSE(recursiveDelete(
        folder, {.clearReadOnly = true, .stopAtFirstFailure = true, .removeFolderItself = true}));
    EXPECT_TRUE(exists(folder + "/sub/stuck.txt"));
}

} // namespace
} // namespace hx
