#include "support/TempDir.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace hx::test {

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "hangarix-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Entries made read-only by a test must not survive it.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::operator/(std::string_view relative) const
{
    return path_ + "/" + std::string(relative);
}

void makeFolders(const std::string& path)
{
    fs::create_directories(path);
}

void writeFile(const std::string& path, std::string_view bytes)
{
    const fs::path p(path);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

std::string shellQuote(std::string_view arg)
{
    std::string out = "'";
    for (char c : arg) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

ProcessResult runProcess(const std::string& commandLine)
{
    TempDir scratch;
    const std::string outPath = scratch / "out", errPath = scratch / "err";
    const std::string line =
        commandLine + " >" + shellQuote(outPath) + " 2>" + shellQuote(errPath) + " </dev/null";
    const int status = std::system(line.c_str());
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = exists(outPath) ? readFile(outPath) : "";
    result.err = exists(errPath) ? readFile(errPath) : "";
    return result;
}

ProcessResult runCli(const std::string& arguments)
{
    return runProcess(shellQuote(HX_CLI_PATH) + " " + arguments);
}

} // namespace hx::test
