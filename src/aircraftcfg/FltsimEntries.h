#pragma once
// The livery entries of an aircraft.cfg. The file is never parsed into sections: every rule
// works on the whole file as one string (the working text, every line followed by CR LF).
// Section headers ("[fltsim.N]", "[General]") are recognised at the start of a line whatever
// their letter case, and an entry's keys are read by findKey, as the simulators read them.
// All operations run in time linear in the text.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hx {

inline constexpr std::string_view kFltsimHeader = "[fltsim.";
inline constexpr std::string_view kGeneralHeader = "[General]";
// The entry keys the tool reads (matched by findKey).
inline constexpr std::string_view kUiVariationKey = "ui_variation";
inline constexpr std::string_view kTextureKey = "texture";
inline constexpr std::string_view kEntryTitleKey = "title";
inline constexpr const char* kConfigFileName = "aircraft.cfg";
inline constexpr const char* kCannotFindConfig =
    "Cannot find aircraft.cfg file, please recheck pathes";

// baseFolder + productFolderName + separator + "aircraft.cfg". The aircraft base folder already
// ends with a separator; the pieces are joined as they stand.
std::string configFilePath(const std::string& baseFolder, const std::string& productFolderName);

// Reads the file by the line rules (LF, CR LF, a lone CR, Ctrl-Z) and joins its lines with
// CR LF. A lone CR ends a line, so files with old Mac line ends keep their lines. Throws IoError
// when the file cannot be opened or read.
std::string readWorkingText(const std::string& path);

// One entry header: a line that starts with "[fltsim." in any letter case, then 1 to 9 digits,
// then "]" (the rest of the line is not looked at).
struct EntryHeader {
    std::size_t begin = 0;       // the "[" (the line's start)
    std::size_t numberBegin = 0; // its first digit
    std::size_t numberEnd = 0;   // the "]"
    std::size_t number = 0;
};

// The entry headers of the text in file order, whatever numbers they carry.
std::vector<EntryHeader> entryHeaders(std::string_view text);

// The number for a new entry: the lowest number that no entry header carries. For entries
// numbered 0 to N-1 this is N; with a gap it is the gap's first number, which the simulators
// need filled to read the entries after it.
std::size_t newEntryNumber(std::string_view text);

// Replaces the two placeholder characters at (1-based) positions 9 and 10 by `n` in decimal.
// Whatever stands there is replaced; a text shorter than 10 characters loses what stands from
// position 9 on and gets the number appended.
std::string numberEntry(std::string_view entryText, std::size_t n);

// Inserts CR LF CR LF + the numbered entry directly in front of the two characters that precede
// the first "[General]" line (any letter case), so exactly one empty line separates the new
// entry from "[General]"; with "[General]" on the first line, in front of it. Without a
// "[General]" line it is appended to the end of the text.
std::string insertEntry(std::string_view workingText, std::string_view numberedEntry);

// Replaces the file with the text, unchanged, atomically: a failed write leaves the old file.
// Throws IoError.
void writeWorkingText(const std::string& path, std::string_view text);

// A run of whole lines of a text: [begin, end).
struct LineRange {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The lines that hold the keys of the entry whose header line starts at `headerBegin`: from the
// line after the header up to the next line that opens a section ("[" first on the line), or to
// the end of the text. Text behind the header on its own line is no key.
LineRange entryKeyLines(std::string_view text, std::size_t headerBegin);

// One "key = value" line.
struct KeyLine {
    std::size_t lineEnd = 0; // one past its LF, or the end of its range
    std::size_t keyPos = 0;  // the key's first character
    std::string_view key;    // as written, blanks and tabs around it dropped
    std::string_view value;  // up to the line's CR or LF, blanks and tabs around it dropped
};

// The key lines of `lines` in order. A line is a key line when it holds "=" and a name before
// it; a line that starts, after blanks and tabs, with "//" or ";" is a comment and never one.
std::vector<KeyLine> keyLines(std::string_view text, LineRange lines);

// The first key line of `lines` whose key is `key` in any ASCII letter case, as the simulators
// read keys: "ui_variation=X", "UI_Variation = X" and "ui_variation\t\t= X" all give X.
std::optional<KeyLine> findKey(std::string_view text, LineRange lines, std::string_view key);

// One livery of the list: an entry that has a "ui_variation" key.
struct LiveryName {
    std::size_t keyPos = 0; // where its first "ui_variation" key starts
    std::string name;       // that key's value
    std::size_t entry = 0;  // the entry's place among the entry headers, from 0 in file order
};

// Every entry with a "ui_variation" key, in file order, duplicate names kept; an entry without
// one is left out. Keys outside the entries (before the first, in [General]) do not count.
std::vector<LiveryName> findLiveryNames(std::string_view text);

// The names of findLiveryNames: the livery list. Item k stands for the k-th entry that has a
// "ui_variation" key, whatever number its header carries.
std::vector<std::string> listLiveryNames(std::string_view text);

// Where the entry of one livery lies in a working text.
struct EntrySpan {
    std::size_t begin = 0;                             // the "[" of its header
    std::size_t end = 0;                               // one past the last character to cut
    std::size_t number = 0;                            // the number its header carries
    bool hasTexture = false;                           // the entry has a "texture" key
    std::string textureValue;                          // its value
    std::size_t variationPos = std::string_view::npos; // where its "ui_variation" key starts
};

// Finds the `index`-th entry header of the text (from 0, in file order). The entry's keys are
// read up to the next line that starts a section ("[") or the end of the text. The cut runs
// from the header through the entry's last key line (the "description" line, as packages lay
// entries out), the lines that follow it up to the first empty line, and that empty line; it
// never runs past that section line. Returns false when the text holds fewer headers.
bool findEntry(std::string_view workingText, int index, EntrySpan& span);

// Where the entry of `header` lies and what it holds, by the rules of findEntry.
EntrySpan entrySpanAt(std::string_view workingText, const EntryHeader& header);

// Whether an entry of the text names the texture folder `folderName` (letter case ignored,
// trailing dots and blanks dropped as Windows drops them).
bool textureFolderInUse(std::string_view workingText, std::string_view folderName);

// The texture folder an entry names, as Windows reads the name ("texture." + the value, trailing
// dots and blanks dropped); empty when the entry has no "texture" key.
std::string textureFolderOf(const EntrySpan& span);

// The number of the first entry that holds the livery `uiVariation` (exactly) with its textures
// in `textureFolder` (as textureFolderInUse compares; empty: an entry without a "texture" key),
// or nullopt: the same livery already installed.
std::optional<std::size_t> findInstalledCopy(std::string_view workingText,
                                             std::string_view uiVariation,
                                             std::string_view textureFolder);

} // namespace hx
