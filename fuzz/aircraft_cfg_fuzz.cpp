// aircraft.cfg: the input is read as a file would be (lines joined with CR LF, a lone CR ending
// its line) and every entry operation runs on it: list the headers and the livery names, find the
// number for a new entry, insert a package's entry, cut an entry out and renumber.
//
// The target reads keys by its own model of the reader's rules: an entry's key lines are the
// lines after its header up to the next line that starts with "["; a key line holds "=" and a
// name before it, blanks and tabs around name and value dropped; a line that starts, after
// blanks and tabs, with "//" or ";" is a comment; names match in any ASCII letter case.
//
// Invariants: no exception; the input reads as a working text; every header is a line start
// "[fltsim." (any case), 1 to 9 digits, "]", in file order; the livery list holds, in file order,
// one item per entry that has a ui_variation key: the value of its first one, at that key's place;
// the new number is the lowest one no header carries; after inserting, the text holds one header
// more, numbered as asked, the old text around it unchanged, the new entry's name listed at its
// place and every section's keys as before; the cut runs from the header through the entry's last
// key line (the header line when it has none), the lines that follow up to the first empty line
// and that empty line, never past the next section line; the span's ui_variation and texture keys
// are the entry's first ones; after cutting, one header less, only numbers above the cut one went
// down by one (none when it was a duplicate), the other entries' names and every other section's
// keys unchanged (no key of the cut entry left behind); both results are working texts that read
// by the same rules. The raw bytes go through the same operations for memory safety alone.

#include "FuzzSupport.h"

#include "aircraftcfg/FltsimEntries.h"
#include "aircraftcfg/Removal.h"
#include "platform/AsciiCase.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using hx::fuzz::require;

constexpr std::string_view kEntry = "[fltsim.XX]\r\n"
                                    "title=Fuzz Air\r\n"
                                    "sim=kzq\r\n"
                                    "texture=Fuzz\r\n"
                                    "ui_variation=Fuzz Air\r\n"
                                    "description=\r\n";
constexpr std::string_view kEntryName = "Fuzz Air";

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

// The target's model of the key reader, kept apart from FltsimEntries so that each checks the
// other.

// One line of a working text: [begin, end) without its CR LF; the first line starts behind a
// byte order mark.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct Key {
    std::size_t pos = 0; // the name's first character
    std::string_view name;
    std::string_view value;
};

using SectionKeys = std::vector<std::vector<std::pair<std::string, std::string>>>;

bool sameName(std::string_view a, std::string_view b)
{
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

const Key* firstKey(const std::vector<Key>& keys, std::string_view name)
{
    const auto it = std::find_if(keys.begin(), keys.end(),
                                 [&](const Key& key) { return sameName(key.name, name); });
    return it == keys.end() ? nullptr : &*it;
}

// A working text cut into its lines and sections: the lines in front of the first line that
// starts with "[" (section 0), then one section per such line, holding the lines up to the next.
class Model {
public:
    struct Section {
        std::size_t line = kNone;  // the index of its "[" line; kNone for section 0
        std::size_t keysBegin = 0; // the line indices of the lines that may hold its keys
        std::size_t keysEnd = 0;
    };
    static constexpr std::size_t kNone = std::string_view::npos;

    explicit Model(std::string_view text) : text_(text)
    {
        for (std::size_t pos = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
             pos < text.size();) {
            const std::size_t cr = text.find("\r\n", pos);
            require(cr != std::string_view::npos, "model: no working text");
            lines_.push_back({pos, cr});
            pos = cr + 2;
        }
        sections_.push_back({kNone, 0, 0});
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (text.substr(lines_[i].begin, 1) != "[")
                continue;
            sections_.back().keysEnd = i;
            sections_.push_back({i, i + 1, i + 1});
        }
        sections_.back().keysEnd = lines_.size();
    }

    const std::vector<Section>& sections() const { return sections_; }

    // The section whose "[" line starts at `begin`.
    std::size_t sectionAt(std::size_t begin) const
    {
        const auto it =
            std::partition_point(sections_.begin() + 1, sections_.end(),
                                 [&](const Section& s) { return lines_[s.line].begin < begin; });
        require(it != sections_.end() && lines_[it->line].begin == begin,
                "model: a header is no section line");
        return static_cast<std::size_t>(it - sections_.begin());
    }

    std::optional<Key> key(std::size_t line) const
    {
        std::string_view s =
            text_.substr(lines_[line].begin, lines_[line].end - lines_[line].begin);
        const std::size_t lead = s.find_first_not_of(" \t");
        if (lead == std::string_view::npos)
            return std::nullopt;
        s.remove_prefix(lead);
        const std::size_t equals = s.find('=');
        // s starts with a non-blank, so a name precedes "=" unless "=" comes first.
        if (s.starts_with("//") || s.starts_with(';') || equals == std::string_view::npos ||
            equals == 0)
            return std::nullopt;
        return Key{lines_[line].begin + lead, trimmed(s.substr(0, equals)),
                   trimmed(s.substr(equals + 1))};
    }

    std::vector<Key> keys(const Section& section) const
    {
        std::vector<Key> keys;
        for (std::size_t i = section.keysBegin; i < section.keysEnd; ++i)
            if (const std::optional<Key> k = key(i))
                keys.push_back(*k);
        return keys;
    }

    // Every section's keys, names and values, in file order.
    SectionKeys allKeys() const
    {
        SectionKeys all;
        for (const Section& section : sections_) {
            all.emplace_back();
            for (const Key& k : keys(section))
                all.back().emplace_back(k.name, k.value);
        }
        return all;
    }

    // Where cutting the entry of `section` ends: through its last key line (its "[" line when it
    // has none), the lines that follow up to the first empty line and that empty line, all
    // before the next section line.
    std::size_t cutEnd(const Section& section) const
    {
        std::size_t last = section.line;
        for (std::size_t i = section.keysBegin; i < section.keysEnd; ++i)
            if (key(i))
                last = i;
        std::size_t i = last + 1;
        while (i < section.keysEnd && lines_[i].begin != lines_[i].end)
            ++i;
        if (i < section.keysEnd)
            ++i;
        return lineStart(i);
    }

    // Where the line `i` starts; the end of the text for one past the last line.
    std::size_t lineStart(std::size_t i) const
    {
        return i < lines_.size() ? lines_[i].begin : text_.size();
    }

    // One past the CR LF of line `i`.
    std::size_t lineEnd(std::size_t i) const { return lines_[i].end + 2; }

    // The livery list: one item per entry header that has a ui_variation key, the first one.
    std::vector<hx::LiveryName> liveryNames(const std::vector<hx::EntryHeader>& headers) const
    {
        std::vector<hx::LiveryName> names;
        for (std::size_t i = 0; i < headers.size(); ++i) {
            const std::vector<Key> k = keys(sections_[sectionAt(headers[i].begin)]);
            if (const Key* variation = firstKey(k, hx::kUiVariationKey))
                names.push_back({variation->pos, std::string(variation->value), i});
        }
        return names;
    }

private:
    std::string_view text_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
};

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

// The livery list against the model: item k is the k-th entry with a ui_variation key, read at
// its first such key line, its name that line's trimmed value.
void checkNames(std::string_view text, const Model& model,
                const std::vector<hx::EntryHeader>& headers)
{
    const std::vector<hx::LiveryName> found = hx::findLiveryNames(text);
    const std::vector<hx::LiveryName> expected = model.liveryNames(headers);
    require(found.size() == expected.size(),
            "the list does not hold one item per entry with a ui_variation key");
    for (std::size_t i = 0; i < found.size(); ++i) {
        require(found[i].entry == expected[i].entry, "a listed name stands for the wrong entry");
        require(found[i].keyPos == expected[i].keyPos,
                "a name's key is not its entry's first ui_variation key");
        require(found[i].name == expected[i].name, "a listed name is not its key's trimmed value");
    }
    std::vector<std::string> names;
    for (const hx::LiveryName& name : found)
        names.push_back(name.name);
    require(hx::listLiveryNames(text) == names, "list and find disagree");
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

// A result of an operation (a working text) read again: its headers well formed and its livery
// list as the model reads it.
std::vector<hx::EntryHeader> checkedResult(std::string_view out, const Model& model)
{
    std::vector<hx::EntryHeader> headers = checkedHeaders(out);
    checkNames(out, model, headers);
    return headers;
}

void checkInsert(std::string_view text, const Model& model,
                 const std::vector<hx::EntryHeader>& headers, std::size_t n)
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
    const Model outModel(out);
    const std::vector<hx::EntryHeader> after = checkedResult(out, outModel);
    require(after.size() == headers.size() + 1, "insert did not add exactly one header");
    require(
        std::any_of(after.begin(), after.end(),
                    [&](const hx::EntryHeader& h) { return h.begin == at + 4 && h.number == n; }),
        "inserted header misnumbered");

    // The new entry's name among the old ones, behind those of the entries in front of it.
    std::vector<std::string> names;
    bool placed = false;
    for (const hx::LiveryName& found : hx::findLiveryNames(text)) {
        if (!placed && headers[found.entry].begin >= at) {
            names.push_back(std::string(kEntryName));
            placed = true;
        }
        names.push_back(found.name);
    }
    if (!placed)
        names.push_back(std::string(kEntryName));
    require(hx::listLiveryNames(out) == names, "insert changed the other livery names");

    // The sections as before, the new entry's among them.
    SectionKeys keys = model.allKeys();
    const auto& sections = model.sections();
    const auto before = std::count_if(sections.begin() + 1, sections.end(),
                                      [&](const auto& s) { return model.lineStart(s.line) < at; });
    keys.insert(keys.begin() + 1 + before, Model(entry).allKeys().at(1));
    require(outModel.allKeys() == keys, "insert changed the keys of a section");
}

void checkCut(std::string_view text, const Model& model,
              const std::vector<hx::EntryHeader>& headers, int index)
{
    hx::EntrySpan span;
    const bool found = hx::findEntry(text, index, span);
    require(found == (index >= 0 && static_cast<std::size_t>(index) < headers.size()),
            "findEntry and the header count disagree");
    if (!found)
        return;
    const hx::EntryHeader& cut = headers[static_cast<std::size_t>(index)];
    require(span.begin == cut.begin && span.number == cut.number, "entry span misplaced");

    // The cut takes every key line of the entry and stops at the next section line.
    const std::size_t at = model.sectionAt(cut.begin);
    const Model::Section& section = model.sections()[at];
    const std::vector<Key> keys = model.keys(section);
    for (std::size_t i = section.keysBegin; i < section.keysEnd; ++i)
        if (model.key(i))
            require(span.end >= model.lineEnd(i), "the cut leaves a key of the entry behind");
    require(span.end <= model.lineStart(section.keysEnd), "the cut runs into the next section");
    require(span.end == model.cutEnd(section), "the cut does not end where the rule says");

    const Key* variation = firstKey(keys, hx::kUiVariationKey);
    require(span.variationPos == (variation ? variation->pos : std::string_view::npos),
            "the span's name is not the entry's first ui_variation key");
    const Key* texture = firstKey(keys, hx::kTextureKey);
    require(span.hasTexture == (texture != nullptr) &&
                (!texture || span.textureValue == texture->value),
            "the span's texture is not the entry's first texture key");

    const std::string out = hx::cutEntry(text, span);
    require(isWorkingText(out), "cut left no working text");
    const Model outModel(out);
    const std::vector<hx::EntryHeader> after = checkedResult(out, outModel);
    std::vector<std::string> others;
    for (const hx::LiveryName& name : hx::findLiveryNames(text))
        if (name.entry != static_cast<std::size_t>(index))
            others.push_back(name.name);
    require(hx::listLiveryNames(out) == others, "cut changed the other livery names");
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
    // Every other section keeps its keys: what stays of the entry's lines joins the section in
    // front of it and holds none.
    SectionKeys expectedKeys = model.allKeys();
    expectedKeys.erase(expectedKeys.begin() + static_cast<std::ptrdiff_t>(at));
    require(outModel.allKeys() == expectedKeys, "cut changed the keys of another section");
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
    require(isWorkingText(text), "the input read as no working text");
    const Model model(text);
    const std::vector<hx::EntryHeader> headers = checkedHeaders(text);
    checkNames(text, model, headers);
    checkInsert(text, model, headers, checkedNewNumber(text, headers));
    checkCut(text, model, headers, static_cast<int>(pick % (headers.size() + 1)));
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
