#include "aircraftcfg/FltsimEntries.h"

#include "platform/FileSystem.h"
#include "platform/TextFile.h"

namespace hx {

std::string configFilePath(const std::string& baseFolder, const std::string& productFolderName)
{
    return platform::joinPath(baseFolder + productFolderName, kConfigFileName);
}

std::string readWorkingText(const std::string& path)
{
    return platform::readText(path);
}

std::size_t countEntries(std::string_view text)
{
    // Each found header is consumed through its final "." before the next search; the header
    // holds no second '[', so searching on from there finds the same occurrences.
    std::size_t n = 0;
    for (std::size_t p = text.find(kFltsimHeader); p != std::string_view::npos;
         p = text.find(kFltsimHeader, p + kFltsimHeader.size()))
        ++n;
    return n;
}

std::string numberEntry(std::string_view entryText, std::size_t n)
{
    std::string out(entryText.substr(0, 8));
    out += std::to_string(n);
    if (entryText.size() > 10)
        out += entryText.substr(10);
    return out;
}

std::string insertEntry(std::string_view workingText, std::string_view numberedEntry)
{
    const std::size_t general = workingText.find(kGeneralHeader);
    const std::size_t at = (general == std::string_view::npos || general < 2) ? 0 : general - 2;
    std::string out;
    out.reserve(workingText.size() + numberedEntry.size() + 4);
    out.append(workingText.substr(0, at));
    out.append("\r\n\r\n");
    out.append(numberedEntry);
    out.append(workingText.substr(at));
    return out;
}

void writeWorkingText(const std::string& path, std::string_view text)
{
    platform::writeTextAtomic(path, text);
}

std::vector<std::string> listLiveryNames(std::string_view text)
{
    std::vector<std::string> names;
    for (std::size_t p = text.find(kUiVariationKey); p != std::string_view::npos;) {
        const std::size_t start = p + kUiVariationKey.size();
        // A text read from a file always ends with CR LF; a value without a CR after it runs
        // to the end of the text.
        std::size_t end = text.find('\r', start);
        if (end == std::string_view::npos)
            end = text.size();
        names.emplace_back(text.substr(start, end - start));
        p = text.find(kUiVariationKey, start);
    }
    return names;
}

} // namespace hx
