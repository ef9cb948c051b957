#pragma once
// Test fixtures on real temporary folders.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace hx::test {

// A fresh folder below the system's temporary folder, removed with everything in it when the
// object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(std::string_view relative) const;

private:
    std::string path_;
};

// A UTF-8 path as std::filesystem takes it (narrow strings there use the ANSI code page on
// Windows).
std::filesystem::path fsPath(std::string_view utf8);

// Writes bytes to a file, creating the folders on the way.
void writeFile(const std::string& path, std::string_view bytes);
// Reads a whole file as bytes; throws when it cannot.
std::string readFile(const std::string& path);
void makeFolders(const std::string& path);
bool exists(const std::string& path);
// Whether `folder` holds an entry spelt exactly `name`: exists() on a file system that ignores
// case also finds "OLD.BMP" when "old.bmp" is there.
bool hasEntrySpelt(const std::string& folder, const std::string& name);

// Runs a command line through the shell, capturing stdout and stderr separately.
struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
ProcessResult runProcess(const std::string& commandLine);
// Quotes an argument for the shell.
std::string shellQuote(std::string_view arg);
// Runs hangarix-cli with the given (already quoted) arguments.
ProcessResult runCli(const std::string& arguments);
// The same, with the machine's registry kept out: outside Windows the registry is read from the
// Wine prefix `emptyPrefix` (a folder without a registry file); on Windows the arguments must
// name the simulator and its folder, so that no look-up is made.
ProcessResult runCliWithoutRegistry(const std::string& emptyPrefix, const std::string& arguments);

// Mode bits as the system keeps them: Windows has only the read-only attribute, which shows as
// the lack of every write bit.
inline unsigned modeAsKept(unsigned mode)
{
#ifdef _WIN32
    return mode & 0222 ? 0666u : 0444u;
#else
    return mode;
#endif
}

} // namespace hx::test

#ifdef _WIN32
// Skips a test that needs a POSIX system, with the reason.
#define HX_SKIP_ON_WINDOWS(why) GTEST_SKIP() << "not on Windows: " << (why)
#else
#define HX_SKIP_ON_WINDOWS(why) (void)(why)
#endif
