#pragma once
// Windows file semantics on every platform. Paths are byte strings (UTF-8 on Windows) joined
// with the native separator; nothing is normalised. On POSIX every look-up resolves a path
// component that does not exist as written to the entry that matches it ignoring case, as Windows
// (and Wine) do, because packages and aircraft made on Windows mix letter cases.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace hx::platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// a + separator + b, joined as they stand (a trailing separator of a gives a doubled one).
std::string joinPath(std::string_view a, std::string_view b);

struct DirEntry {
    std::string name;
    bool isFolder = false;
};

// Entries of `folder` whose names match `pattern` by the Windows wildcard rules (`*`, `?`,
// case-insensitive; a trailing "*." matches only names without a dot; "*" and "*.*" match
// everything), hidden entries included, in the order the OS returns them. "." and ".." are not
// returned. A folder that does not exist gives an empty list.
std::vector<DirEntry> listFolder(const std::string& folder, std::string_view pattern = "*");

// The Windows wildcard match on its own, exposed for the callers and the tests.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// The path as it exists on disk: each component that does not exist as written is replaced by
// the entry of its folder that matches it ignoring case. Components that match nothing are kept
// as written (so the result names where a new entry would be created).
std::string resolvePath(const std::string& path);

bool fileExists(const std::string& path);   // a file (not a folder) exists there
bool folderExists(const std::string& path); // a folder exists there
bool pathExists(const std::string& path);   // anything exists there
// The entry itself is a symbolic link (or, on Windows, a junction or other reparse point).
// Deleting below such a folder would reach outside the folder that holds the link.
bool isLink(const std::string& path);
std::uint64_t fileSize(const std::string& path); // 0 when missing
// The size of a plain file (not a folder, pipe, socket or device, which the tool never opens),
// in one look-up; none for anything else or nothing.
std::optional<std::uint64_t> plainFileSize(const std::string& path);
// Bytes this process may still write on the volume holding `path` (an existing entry); the
// largest value when the system cannot tell.
std::uint64_t freeSpace(const std::string& path);

// The actions below return whether they succeeded; a caller that ignores it says why.
//
// Copies a file; fails (false) when the target exists, the source is a folder or any read or
// write fails. Never overwrites. A failed copy leaves no partial target behind.
[[nodiscard]] bool copyFileNoOverwrite(const std::string& from, const std::string& to);
// The same into a folder the caller created and fills with names that differ even ignoring
// case: `to` is taken as it stands, not looked up by case (on POSIX that saves listing the
// folder for every file). Never overwrites either.
[[nodiscard]] bool copyFileToNewName(const std::string& from, const std::string& to);
[[nodiscard]] bool
createFolder(const std::string& path); // one level; false when it exists or fails
// Renames a file within one volume; fails (false) when the target exists. Never overwrites.
[[nodiscard]] bool moveFileNoOverwrite(const std::string& from, const std::string& to);
[[nodiscard]] bool
deleteFile(const std::string& path); // files only; false for folders and failures
[[nodiscard]] bool removeFolder(const std::string& path); // empty folders only
// Clears read-only, hidden and system (leaving "archive"). On POSIX: makes the entry writable
// by its owner, which is what the read-only attribute means there.
[[nodiscard]] bool clearAttributes(const std::string& path);

// The process's current folder, without a trailing separator.
std::string currentFolder();
// Makes `path` the process's current folder.
[[nodiscard]] bool setCurrentFolder(const std::string& path);
// Creates `path` and every missing folder above it; true when it exists afterwards.
[[nodiscard]] bool createFolderPath(const std::string& path);

// The folder holding the running program, without a trailing separator ("" when unknown).
std::string programFolder();
// Whether this process can create a file in `folder`: tried, not guessed from permission bits,
// so access lists, read-only mounts and the administrator's rights all count.
bool canCreateIn(const std::string& folder);
// The longest full path the system's file functions take, and the unit it is counted in: on
// Windows 259 UTF-16 units (MAX_PATH less its terminator, as programs without long-path
// support see it), elsewhere 4095 bytes (PATH_MAX less its terminator).
struct PathLimit {
    std::size_t longest = 0;
    bool utf16Units = false; // counted in UTF-16 units rather than bytes
};
PathLimit pathLimit();
// The browser of folders starts here when nothing better is known: the system drive's root
// ("c:\") on Windows, "/" elsewhere.
std::string topFolder();
// Whether a standard library error code carries an errno value (everywhere but Windows, whose
// file functions give the system's own error codes).
bool carriesErrno(const std::error_code& error);
// The words of the last failed system call of this thread (errno; GetLastError on Windows).
std::string lastErrorText();
// Makes `error` the last error lastErrorText() words (for code that meets errors as
// std::error_code, and for the fault switch).
void setLastError(const std::error_code& error);

// The tool's own folder in the user's data folder: $XDG_DATA_HOME/hangarix (by default
// ~/.local/share/hangarix) on Linux, %LOCALAPPDATA%\Hangarix on Windows. Not created here.
std::string userDataFolder();

// A value of one of the tool's single-byte text files (aircraft.cfg, installerinfo.txt) made
// part of a path. Paths are UTF-8 on Windows, so the text is converted from the ANSI code page
// there (a Latin-1 folder name keeps its letters); elsewhere the bytes stand as they are.
std::string pathFromText(std::string_view text);

} // namespace hx::platform
