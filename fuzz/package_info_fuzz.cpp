// The information file of a livery package: the bytes are written as installerinfo.txt, read
// by the package reader and looked up by the keys the installer uses.
//
// Invariants: only IoError may escape; the text is whole lines each ending in CR LF, without
// Ctrl-Z, at most twice the file's size plus CR LF; a key's value is a piece of one line; the
// product folder name starts with "KZQ_" and holds no "-"; a product folder name that passes the
// plain-name check stays one folder inside the aircraft base folder.

#include "FuzzSupport.h"

#include "aircraftcfg/FltsimEntries.h"
#include "packages/PackageInfo.h"
#include "packages/SafeName.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace {

using hx::fuzz::require;

void checkLines(std::string_view text, std::size_t fileSize)
{
    require(text.size() <= 2 * fileSize + 2, "text grew beyond twice the file");
    require(text.empty() || text.ends_with("\r\n"), "text does not end in CR LF");
    require(text.find('\x1a') == std::string_view::npos, "Ctrl-Z kept in the text");
    for (std::size_t p = text.find_first_of("\r\n"); p != std::string_view::npos;
         p = text.find_first_of("\r\n", p + 2))
        require(text.compare(p, 2, "\r\n") == 0, "a CR or LF outside a CR LF pair");
}

void checkKey(std::string_view text, std::string_view key)
{
    const std::string value = hx::keyValue(text, key);
    require(value.find_first_of("\r\n") == std::string::npos, "value runs over a line end");
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos) {
        require(value.empty(), "value of a missing key");
        return;
    }
    require(text.substr(at + key.size()).starts_with(value), "value is not what follows its key");
}

void checkProductFolder(std::string_view text)
{
    const std::string name = hx::productFolderName(text);
    require(name.starts_with(hx::kProductFolderPrefix), "product folder without its prefix");
    require(name.find('-') == std::string::npos, "a dash left in the product folder");
    if (!hx::isPlainName(name))
        return;
    const std::string base = hx::fuzz::scratchFolder() + "/Aircraft";
    const std::string config = hx::configFilePath(base + "/", name);
    require(hx::fuzz::staysInside(config, base), "aircraft.cfg path leaves the base folder");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = hx::fuzz::asText(data, size);
    const std::string path = hx::informationFilePath(hx::fuzz::scratchFolder());
    hx::fuzz::writeFile(path, bytes);
    std::string text;
    try {
        text = hx::readInformationText(path);
    } catch (const hx::IoError&) {
        return 0;
    }
    checkLines(text, size);
    for (std::string_view key : {hx::kTitleKey, hx::kVariationKey, hx::kProductFolderKey})
        checkKey(text, key);
    // Keys taken from the input reach values the fixed keys never do.
    checkKey(text, bytes.substr(0, bytes.find_first_of("=\n") + 1));
    checkProductFolder(text);
    return 0;
}
