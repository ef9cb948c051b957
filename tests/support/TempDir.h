#pragma once
// Test fixtures on real temporary folders.

#include <cstdint>
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

// Writes bytes to a file, creating the folders on the way.
void writeFile(const std::string& path, std::string_view bytes);
// Reads a whole file as bytes; throws when it cannot.
std::string readFile(const std::string& path);
void makeFolders(const std::string& path);
bool exists(const std::string& path);

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

} // namespace hx::test
