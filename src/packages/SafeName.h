#pragma once
// Values taken from packages, aircraft.cfg files, catalogues and archives name folders and
// files that the tool writes or deletes. Such a value must stay one plain name inside the
// folder it is meant for, and one that Windows can hold, whatever platform the tool runs on:
// liveries made or unpacked here end up in a Windows simulator.

#include <cstddef>
#include <string>
#include <string_view>

namespace hx {

// The longest name of one file or folder, in bytes (file systems count 255 bytes or 255 UTF-16
// units; the bytes are the stricter of the two).
inline constexpr std::size_t kMaxNameLength = 255;

// Why `name` is not one plain path component that Windows accepts, or nullptr when it is. The
// rule: not empty, not longer than kMaxNameLength, without '/' or '\\', without ':' (a drive or
// a stream), without control characters or any of < > " | ? *, not ending in '.' or ' '
// (Windows drops those, so "texture.." would name the shared "texture" folder), and not a
// device name such as CON, NUL or COM1, with or without an extension.
const char* plainNameProblem(std::string_view name);

inline bool isPlainName(std::string_view name)
{
    return plainNameProblem(name) == nullptr;
}

// The same rule; kept for the callers that check names of files.
inline bool isPlainFileName(std::string_view name)
{
    return isPlainName(name);
}

// `utf8` with every character replaced by its upper case as Windows compares names: one
// character for one, beyond ASCII too ("été" and "Été" give one key). Bytes that are not
// valid UTF-8 are kept as they are.
std::string windowsCaseKey(std::string_view utf8);

// True when `text` is valid UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view text);

// The number of UTF-16 units that `utf8` takes on Windows (invalid bytes count one each).
std::size_t utf16Length(std::string_view utf8);

// `name` fit for one line of a message: control characters and bytes that are not UTF-8 are
// shown as \n, \r, \t or \xHH, and a name longer than `limit` bytes is cut with "...".
std::string printableName(std::string_view name, std::size_t limit = 160);

} // namespace hx
