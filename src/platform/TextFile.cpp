#include "platform/TextFile.h"

namespace hx::platform {

std::string joinLines(std::string_view bytes)
{
    constexpr char kCtrlZ = 26;
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    bool lineStarted = false; // bytes of the current line were read (even dropped ones)
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const char c = bytes[i];
        if (!lineStarted && c == kCtrlZ)
            return text; // end of the text
        if (c == '\n') {
            text += "\r\n";
            lineStarted = false;
            ++i;
            continue;
        }
        lineStarted = true;
        if (c == kCtrlZ) {
            // Ends the line; the rest of it up to its line break is skipped.
            text += "\r\n";
            lineStarted = false;
            while (i < n && bytes[i] != '\n')
                ++i;
            if (i < n)
                ++i;
            continue;
        }
        if (c != '\r') // a CR before LF belongs to the line end; a lone CR is dropped
            text.push_back(c);
        ++i;
    }
    if (lineStarted)
        text += "\r\n"; // a last line without a line break
    return text;
}

} // namespace hx::platform
