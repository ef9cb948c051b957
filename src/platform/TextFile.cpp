#include "platform/TextFile.h"

#include "platform/Errors.h"

namespace hx::platform {

namespace {

// Whether the CR at `i` ends its line: with LF after it always (as part of CR LF), a lone one
// only when lone CRs end lines and no CR LF follows it.
bool crEndsLine(std::string_view bytes, std::size_t i, LoneCr loneCr)
{
    const std::string_view rest = bytes.substr(i + 1);
    if (!rest.empty() && rest.front() == '\n')
        return true;
    return loneCr == LoneCr::EndsLine && rest.substr(0, 2) != "\r\n";
}

} // namespace

std::string joinLines(std::string_view bytes, LoneCr loneCr)
{
    constexpr char kCtrlZ = 26;
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    bool lineStarted = false; // bytes of the current line were read (even dropped ones)
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    // One past the line break starting at `at` (LF, CR LF or a lone CR that ends the line).
    const auto skipBreak = [&](std::size_t at) {
        return bytes[at] == '\r' && at + 1 < n && bytes[at + 1] == '\n' ? at + 2 : at + 1;
    };
    while (i < n) {
        const char c = bytes[i];
        if (!lineStarted && c == kCtrlZ)
            return text; // end of the text
        if (c == '\n' || (c == '\r' && crEndsLine(bytes, i, loneCr))) {
            text += "\r\n";
            lineStarted = false;
            i = skipBreak(i);
            continue;
        }
        lineStarted = true;
        if (c == kCtrlZ) {
            // Ends the line; the rest of it up to its line break is skipped.
            text += "\r\n";
            lineStarted = false;
            while (i < n && bytes[i] != '\n' && !(bytes[i] == '\r' && crEndsLine(bytes, i, loneCr)))
                ++i;
            if (i < n)
                i = skipBreak(i);
            continue;
        }
        if (c == '\r') { // a CR that does not end the line is dropped
            ++i;
            continue;
        }
        // The run of plain bytes up to the next CR, LF or Ctrl-Z goes in whole.
        std::size_t end = i + 1;
        while (end < n && bytes[end] != '\n' && bytes[end] != '\r' && bytes[end] != kCtrlZ)
            ++end;
        text.append(bytes.data() + i, end - i);
        i = end;
    }
    if (lineStarted)
        text += "\r\n"; // a last line without a line break
    return text;
}

std::string folderNotWritable(const std::string& folder)
{
    return "File access denied: the folder \"" + folder +
           "\" must be writable, as the file is replaced through a temporary file beside it";
}

std::string readText(const std::string& path, LoneCr loneCr)
{
    try {
        return joinLines(readFileBytes(path), loneCr);
    } catch (IoError& e) {
        e.setPath(path);
        throw;
    }
}

} // namespace hx::platform
