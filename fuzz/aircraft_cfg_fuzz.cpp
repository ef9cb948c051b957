// aircraft.cfg: the input is read as a file would be (lines joined with CR LF, a lone CR ending
// its line) and every entry operation runs on it: list the headers and the livery names, find the
// number for a new entry, insert a package's entry, cut an entry out and renumber.
//
// Invariants: no exception; every header is a line start "[fltsim." (any case), 1 to 9 digits,
// "]", in file order; a livery name is the rest of its line; the new number is the lowest one no
// header carries; after inserting, the text holds one header more, numbered as asked, and the old
// text around it unchanged; after cutting, one header less, and only numbers above the cut one
// went down by one (none when it was a duplicate); both results are working texts again. The raw
// bytes go through the same operations for memory safety alone.

#include "FuzzSupport.h"

#include "aircraftcfg/FltsimEntries.h"
#include "aircraftcfg/Removal.h"
#include "platform/AsciiCase.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <vector>

namespace {

using hx::fuzz::require;

constexpr std::string_view kEntry = "[fltsim.XX]\r\n"
                                    "title=Fuzz Air\r\n"
                                    "sim=kzq\r\n"
                                    "texture=Fuzz\r\n"
                                    "ui_variation=Fuzz Air\r\n"
                                    "description=\r\n";

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Lines that each end in CR LF, after a byte order mark the file may start with.
bool isWorkingText(std::string_view text)
{
    if (text.starts_with(kUtf8Bom))
        text.remove_prefix(kUtf8Bom.size());
    if (!text.empty() && !text.ends_with("\r\n"))
        return false;
    for (std::size_t p = text.find_first_of("\r\n"); p != std::string_view::npos;
         p = text.find_first_of("\r\n", p + 2))
        if (text.compare(p, 2, "\r\n") != 0)
            return false;
    return true;
}

std::vector<hx::EntryHeader> checkedHeaders(std::string_view text)
{
    const std::vector<hx::EntryHeader> headers = hx::entryHeaders(text);
    std::size_t last = 0;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const hx::EntryHeader& h = headers[i];
        require(i == 0 || h.begin > last, "headers out of file order");
        last = h.begin;
        const bool afterBom = h.begin == kUtf8Bom.size() && text.starts_with(kUtf8Bom);
        require(h.begin == 0 || text[h.begin - 1] == '\n' || afterBom, "header inside a line");
        require(hx::platform::equalsIgnoringCase(text.substr(h.begin, 8), hx::kFltsimHeader),
                "header without [fltsim.");
        const std::size_t digits = h.numberEnd - h.numberBegin;
        require(h.numberBegin == h.begin + 8 && digits >= 1 && digits <= 9, "header digits");
        require(h.numberEnd < text.size() && text[h.numberEnd] == ']', "header without ]");
        std::size_t number = 0;
        for (std::size_t p = h.numberBegin; p < h.numberEnd; ++p) {
            require(text[p] >= '0' && text[p] <= '9', "header number not a digit");
            number = number * 10 + static_cast<std::size_t>(text[p] - '0');
        }
        require(number == h.number, "header number misread");
    }
    return headers;
}

void checkNames(std::string_view text)
{
    const std::vector<hx::LiveryName> found = hx::findLiveryNames(text);
    const std::vector<std::string> names = hx::listLiveryNames(text);
    require(found.size() == names.size(), "list and find disagree");
    for (std::size_t i = 0; i < found.size(); ++i) {
        require(found[i].name == names[i], "list and find disagree on a name");
        require(text.substr(found[i].keyPos).starts_with(hx::kUiVariationKey),
                "name key misplaced");
        require(found[i].name.find('\r') == std::string::npos, "name runs over a line end");
    }
}

std::size_t checkedNewNumber(std::string_view text, const std::vector<hx::EntryHeader>& headers)
{
    const std::size_t n = hx::newEntryNumber(text);
    require(n <= headers.size(), "new number above the header count");
    const auto carries = [&](std::size_t k) {
        return std::any_of(headers.begin(), headers.end(),
                           [k](const hx::EntryHeader& h) { return h.number == k; });
    };
    require(!carries(n), "new number already carried");
    for (std::size_t k = 0; k < n; ++k)
        require(carries(k), "a lower number is free");
    return n;
}

// The livery names of `text` whose keys do not lie in [begin, end), in file order.
std::vector<std::string> namesOutside(std::string_view text, std::size_t begin, std::size_t end)
{
    std::vector<std::string> names;
    for (const hx::LiveryName& found : hx::findLiveryNames(text))
        if (found.keyPos < begin || found.keyPos >= end)
            names.push_back(found.name);
    return names;
}

void checkInsert(std::string_view text, std::size_t count, std::size_t n)
{
    const std::string entry = hx::numberEntry(kEntry, n);
    const std::string out = hx::insertEntry(text, entry);
    require(out.size() == text.size() + entry.size() + 4, "insert changed the old text's size");
    // Where the entry went: the first place whose removal gives the old text back.
    const std::string inserted = "\r\n\r\n" + entry;
    std::size_t at = out.find(inserted);
    while (at != std::string::npos && out.substr(0, at) + out.substr(at + inserted.size()) != text)
        at = out.find(inserted, at + 1);
    require(at != std::string::npos, "insert changed the old text");
    require(isWorkingText(out), "insert left no working text");
    const std::vector<hx::EntryHeader> after = checkedHeaders(out);
    require(after.size() == count + 1, "insert did not add exactly one header");
    require(
        std::any_of(after.begin(), after.end(),
                    [&](const hx::EntryHeader& h) { return h.begin == at + 4 && h.number == n; }),
        "inserted header misnumbered");
    require(namesOutside(out, at, at + inserted.size()) == hx::listLiveryNames(text) &&
                hx::listLiveryNames(out).size() == hx::listLiveryNames(text).size() + 1,
            "insert changed the other livery names");
}

void checkCut(std::string_view text, const std::vector<hx::EntryHeader>& headers, int index)
{
    hx::EntrySpan span;
    const bool found = hx::findEntry(text, index, span);
    require(found == (index >= 0 && static_cast<std::size_t>(index) < headers.size()),
            "findEntry and the header count disagree");
    if (!found)
        return;
    const hx::EntryHeader& cut = headers[static_cast<std::size_t>(index)];
    require(span.begin == cut.begin && span.number == cut.number && span.end > span.begin &&
                span.end <= text.size(),
            "entry span misplaced");
    require(span.variationPos == std::string_view::npos ||
                (span.variationPos > span.begin && span.variationPos < span.end &&
                 text.substr(span.variationPos).starts_with(hx::kUiVariationKey)),
            "the entry's livery name lies outside it");
    const std::string out = hx::cutEntry(text, span);
    require(isWorkingText(out), "cut left no working text");
    require(hx::listLiveryNames(out) == namesOutside(text, span.begin, span.end),
            "cut changed the other livery names");
    const std::vector<hx::EntryHeader> after = checkedHeaders(out);
    // A byte order mark only counts at the start of the file: cutting the first entry of a text
    // that holds another mark further down moves that mark to the start and the header behind
    // it comes to count, for the tool and the simulator alike.
    if (out.starts_with(kUtf8Bom) && !text.starts_with(kUtf8Bom))
        return;
    require(after.size() + 1 == headers.size(), "cut did not remove exactly one header");
    const bool duplicate = std::count_if(headers.begin(), headers.end(),
                                         [&](const auto& h) { return h.number == cut.number; }) > 1;
    for (std::size_t i = 0, j = 0; i < headers.size(); ++i) {
        if (i == static_cast<std::size_t>(index))
            continue;
        const std::size_t was = headers[i].number;
        const std::size_t expected = !duplicate && was > cut.number ? was - 1 : was;
        require(after[j++].number == expected, "renumbering moved the wrong numbers");
    }
    hx::textureFolderInUse(out, span.textureValue);
}

void runAll(std::string_view text, std::uint8_t pick, bool strict)
{
    if (!strict) {
        const auto headers = hx::entryHeaders(text);
        hx::listLiveryNames(text);
        hx::insertEntry(text, hx::numberEntry(kEntry, hx::newEntryNumber(text)));
        hx::EntrySpan span;
        if (hx::findEntry(text, pick % (static_cast<int>(headers.size()) + 1), span))
            hx::textureFolderInUse(hx::cutEntry(text, span), span.textureValue);
        return;
    }
    const std::vector<hx::EntryHeader> headers = checkedHeaders(text);
    checkNames(text);
    checkInsert(text, headers.size(), checkedNewNumber(text, headers));
    checkCut(text, headers, static_cast<int>(pick % (headers.size() + 1)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view bytes = hx::fuzz::asText(data + 1, size - 1);
    runAll(hx::platform::joinLines(bytes, hx::platform::LoneCr::EndsLine), data[0], true);
    runAll(bytes, data[0], false);
    return 0;
}
