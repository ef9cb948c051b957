#include "support/TempDir.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace hx::test {

TempDir::TempDir()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::minstd_rand random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "hangarix-test-";
        for (int i = 0; i < 8; ++i)
            name.push_back(kLetters[random() % (sizeof kLetters - 1)]);
        const fs::path candidate = fs::temp_directory_path() / name;
        if (fs::create_directory(candidate)) { // false when it exists: try another name
            path_ = candidate.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
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

fs::path fsPath(std::string_view utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

void makeFolders(const std::string& path)
{
    fs::create_directories(fsPath(path));
}

void writeFile(const std::string& path, std::string_view bytes)
{
    const fs::path p = fsPath(path);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(fsPath(path), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(fsPath(path), ec));
}

bool hasEntrySpelt(const std::string& folder, const std::string& name)
{
    const fs::path wanted = fsPath(name);
    for (const auto& entry : fs::directory_iterator(fsPath(folder)))
        if (entry.path().filename() == wanted)
            return true;
    return false;
}

#ifdef _WIN32

// cmd.exe: double quotes around the argument, inner double quotes doubled.
std::string shellQuote(std::string_view arg)
{
    std::string out = "\"";
    for (char c : arg)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

ProcessResult runProcess(const std::string& commandLine)
{
    TempDir scratch;
    const std::string outPath = scratch / "out", errPath = scratch / "err";
    // cmd.exe /c drops the first and the last quote of the line: one more pair keeps ours.
    const std::string line =
        "\"" + commandLine + " >" + shellQuote(outPath) + " 2>" + shellQuote(errPath) + " <NUL\"";
    // A Windows program ends its text lines with CR LF; the tests compare lines.
    const auto lines = [](std::string text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                out += text[i];
        return out;
    };
    ProcessResult result;
    // -1: the command interpreter itself did not start (seen under Wine on a loaded machine),
    // which says nothing of the program under test: start it again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        result.exitCode = std::system(line.c_str());
        if (result.exitCode != -1)
            break;
    }
    result.out = exists(outPath) ? lines(readFile(outPath)) : "";
    result.err = exists(errPath) ? lines(readFile(errPath)) : "";
    return result;
}

#else

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

#endif

namespace {

// The command line's program. A Windows build made on Linux knows it by its POSIX path, which
// Wine offers as drive Z:.
std::string cliPath()
{
    std::string path = HX_CLI_PATH;
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') {
        std::replace(path.begin(), path.end(), '/', '\\');
        path = "Z:" + path;
    }
#endif
    return path;
}

} // namespace

ProcessResult runCli(const std::string& arguments)
{
    return runProcess(shellQuote(cliPath()) + " " + arguments);
}

ProcessResult runCliWithoutRegistry(const std::string& emptyPrefix, const std::string& arguments)
{
#ifdef _WIN32
    (void)emptyPrefix;
    return runCli(arguments);
#else
    return runProcess("WINEPREFIX=" + shellQuote(emptyPrefix) + " " + shellQuote(cliPath()) + " " +
                      arguments);
#endif
}

} // namespace hx::test
