#include "platform/Errors.h"
#include "platform/TextFile.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/stat.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace hx::platform;
#ifndef _WIN32
using hx::test::FileSizeLimit;
#endif
using hx::test::readFile;
using hx::test::TempDir;
using hx::test::writeFile;

namespace {

std::set<std::string> entries(const std::string& folder)
{
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        out.insert(e.path().filename().string());
    return out;
}

std::string ioErrorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const hx::IoError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(JoinLines, AppliesTheLineRules)
{
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"a\nb\n", "a\r\nb\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\r\nb", "a\r\nb\r\n"},             // no final line break
        {"a\rb\r\n", "ab\r\n"},               // a lone CR is dropped, it ends nothing
        {"a\r", "a\r\n"},                     // ... also at the very end
        {"\r\r\n", "\r\n"},                   // CR CR LF: one empty line
        {"\n\n", "\r\n\r\n"},                 // empty lines stay
        {"a\n\032b\nc\n", "a\r\n"},           // Ctrl-Z at a line start ends the text
        {"\032abc", ""},                      // ... even at the start of the file
        {"ab\032cd\r\nef\n", "ab\r\nef\r\n"}, // inside a line it ends the line
        {"ab\032cd", "ab\r\n"},               // ... the last one too
        {"ab\032\032\r\n\032", "ab\r\n"},     // the skipped rest may hold Ctrl-Z
        {std::string("a\0b\n", 4), std::string("a\0b\r\n", 5)}, // bytes are kept as they are
        {"\xe9t\xe9\n", "\xe9t\xe9\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(joinLines(c.bytes), c.text) << "input: " << ::testing::PrintToString(c.bytes);
}

TEST(JoinLines, ALoneCrEndsTheLineWhereAsked)
{
    struct Case {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"a\rb\r", "a\r\nb\r\n"},                 // old Mac line ends
        {"a\rb", "a\r\nb\r\n"},                   // ... without a final one
        {"a\r\rb\r", "a\r\n\r\nb\r\n"},           // an empty line between
        {"a\r\nb\nc\rd", "a\r\nb\r\nc\r\nd\r\n"}, // mixed line ends
        {"a\r\r\nb", "a\r\nb\r\n"},               // CR before CR LF is still dropped
        {"\r\r\n", "\r\n"},                       // CR CR LF: one empty line, as before
        {"ab\032cd\ref\r", "ab\r\nef\r\n"},       // Ctrl-Z skips to the lone CR
        {"a\r\032b\rc", "a\r\n"},                 // Ctrl-Z at a line start ends the text
    };
    for (const Case& c : cases)
        EXPECT_EQ(joinLines(c.bytes, LoneCr::EndsLine), c.text)
            << "input: " << ::testing::PrintToString(c.bytes);
}

TEST(ReadText, ReadsFilesByTheLineRulesWhateverTheirLineEnds)
{
    TempDir dir;
    writeFile(dir / "crlf.txt", "[fltsim.xx]\r\ntitle=A\r\n");
    writeFile(dir / "lf.txt", "[fltsim.xx]\ntitle=A");
    writeFile(dir / "empty.txt", "");
    EXPECT_EQ(readText(dir / "crlf.txt"), "[fltsim.xx]\r\ntitle=A\r\n");
    EXPECT_EQ(readText(dir / "LF.TXT"), readText(dir / "crlf.txt"));
    EXPECT_EQ(readText(dir / "empty.txt"), "");
    writeFile(dir / "mac.txt", "[fltsim.xx]\rtitle=A\r");
    EXPECT_EQ(readText(dir / "mac.txt", LoneCr::EndsLine), readText(dir / "crlf.txt"));
    EXPECT_EQ(readText(dir / "mac.txt"), "[fltsim.xx]title=A\r\n");

    std::string longLine(200000, 'x');
    writeFile(dir / "long.txt", longLine + "\n");
    EXPECT_EQ(readText(dir / "long.txt"), longLine + "\r\n");
}

TEST(ReadText, FailsWithTheFileErrors)
{
    TempDir dir;
    EXPECT_EQ(ioErrorText([&] { readText(dir / "missing.txt"); }), "File not found");
    EXPECT_EQ(ioErrorText([&] { readText(dir / "no/folder/file.txt"); }), "File not found");
    EXPECT_EQ(ioErrorText([&] { readText(dir.path()); }), "File access denied");
}

TEST(WriteTextAtomic, ReplacesTheContentByteForByteAndKeepsMode)
{
    TempDir dir;
    writeFile(dir / "aircraft.cfg", "old content that is longer than the new one\r\n");
    ASSERT_EQ(chmod((dir / "aircraft.cfg").c_str(), hx::test::modeAsKept(0640)), 0);
    static const char raw[] = "[fltsim.0]\r\ntitle=\xe9\0x\r\n\r\n[General]\r\n";
    const std::string text(raw, sizeof raw - 1);

    writeTextAtomic(dir / "Aircraft.CFG", text); // the existing file, in another case

    EXPECT_EQ(readFile(dir / "aircraft.cfg"), text);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"aircraft.cfg"});
    struct stat st {};
    ASSERT_EQ(stat((dir / "aircraft.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, hx::test::modeAsKept(0640));

    writeTextAtomic(dir / "aircraft.cfg", "");
    EXPECT_EQ(readFile(dir / "aircraft.cfg"), "");
}

TEST(WriteTextAtomic, CreatesAMissingFile)
{
    TempDir dir;
    writeTextAtomic(dir / "new.cfg", "a\r\n");
    EXPECT_EQ(readFile(dir / "new.cfg"), "a\r\n");
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"new.cfg"});
}

TEST(WriteTextAtomic, WritesThroughASymbolicLinkAndKeepsTheLink)
{
    TempDir dir;
    writeFile(dir / "real/aircraft.cfg", "old\r\n");
    fs::create_directory(dir / "plane");
    std::error_code noLinks;
    fs::create_symlink("../real/aircraft.cfg", dir / "plane/aircraft.cfg", noLinks);
    if (noLinks)
        GTEST_SKIP() << "symbolic links cannot be made here: " << noLinks.message();

    writeTextAtomic(dir / "plane/aircraft.cfg", "new\r\n");

    EXPECT_TRUE(fs::is_symlink(dir / "plane/aircraft.cfg"));
    EXPECT_EQ(readFile(dir / "real/aircraft.cfg"), "new\r\n");
    EXPECT_EQ(entries(dir / "real"), std::set<std::string>{"aircraft.cfg"});
    EXPECT_EQ(entries(dir / "plane"), std::set<std::string>{"aircraft.cfg"});
}

TEST(WriteTextAtomic, AFailedWriteKeepsTheOldFileAndLeavesNoTemporary)
{
#ifdef _WIN32
    HX_SKIP_ON_WINDOWS("no per-process file size limit to make a write fail part way");
#else
    TempDir dir;
    const std::string old = "[fltsim.0]\r\ntitle=old\r\n\r\n[General]\r\n";
    writeFile(dir / "aircraft.cfg", old);
    const std::string big(512 * 1024, 'n');
    std::string message;
    {
        FileSizeLimit limit(100 * 1024); // the disk is "full" after 100 KiB
        message = ioErrorText([&] { writeTextAtomic(dir / "aircraft.cfg", big); });
    }
    EXPECT_EQ(message, "I/O error " + std::to_string(EFBIG) +
                           " (the file is larger than the system allows)");
    EXPECT_EQ(readFile(dir / "aircraft.cfg"), old);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"aircraft.cfg"});
#endif
}

TEST(WriteTextAtomic, RefusesFoldersAndMissingFolders)
{
    TempDir dir;
    writeFile(dir / "aircraft.cfg/inside", "keep");
    EXPECT_EQ(ioErrorText([&] { writeTextAtomic(dir / "aircraft.cfg", "x"); }),
              "File access denied");
    EXPECT_EQ(readFile(dir / "aircraft.cfg/inside"), "keep");
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"aircraft.cfg"});

    EXPECT_EQ(ioErrorText([&] { writeTextAtomic(dir / "missing/aircraft.cfg", "x"); }),
              "File not found");
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"aircraft.cfg"});
}

TEST(WriteTextAtomic, RefusesAReadOnlyFileAndKeepsIt)
{
    TempDir dir;
    const std::string old = "[fltsim.0]\r\ntitle=protected\r\n";
    writeFile(dir / "aircraft.cfg", old);
    ASSERT_EQ(chmod((dir / "aircraft.cfg").c_str(), 0444), 0);

    EXPECT_EQ(ioErrorText([&] { writeTextAtomic(dir / "aircraft.cfg", "new\r\n"); }),
              "File access denied");
    EXPECT_EQ(readFile(dir / "aircraft.cfg"), old);
    EXPECT_EQ(entries(dir.path()), std::set<std::string>{"aircraft.cfg"});
}

TEST(WriteTextAtomic, AWritableFileInAReadOnlyFolderSaysTheFolderMustBeWritable)
{
#ifdef _WIN32
    HX_SKIP_ON_WINDOWS("a folder is made unwritable by POSIX permission bits and a child process "
                       "without root rights");
#else
    TempDir dir;
    const std::string folder = dir / "Aircraft";
    const std::string old = "[fltsim.0]\r\n";
    writeFile(folder + "/aircraft.cfg", old);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod((folder + "/aircraft.cfg").c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);

    // The write runs in a child that is not root, since root may write into any folder.
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const std::string message =
            ioErrorText([&] { writeTextAtomic(folder + "/aircraft.cfg", "new\r\n"); });
        const bool written = write(pipeFds[1], message.data(), message.size()) ==
                             static_cast<ssize_t>(message.size());
        _exit(written ? 0 : 4);
    }
    close(pipeFds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(n));
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    chmod(folder.c_str(), 0755);

    EXPECT_EQ(message, folderNotWritable(folder));
    EXPECT_EQ(message.rfind("File access denied: the folder \"", 0), 0u);
    EXPECT_EQ(readFile(folder + "/aircraft.cfg"), old);
    EXPECT_EQ(entries(folder), std::set<std::string>{"aircraft.cfg"});
#endif
}
