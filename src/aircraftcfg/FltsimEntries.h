#pragma once
// The livery entries of an aircraft.cfg. The file is never parsed into sections: every rule
// works on the whole file as one string (the working text, every line followed by CR LF).
// Section headers ("[fltsim.N]", "[General]") are recognised at the start of a line whatever
// their letter case, as the simulators read them; keys are exact, case-sensitive substrings.
// All operations run in time linear in the text.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hx {

inline constexpr std::string_view kFltsimHeader = "[fltsim.";
inline constexpr std::string_view kGeneralHeader = "[General]";
inline constexpr std::string_view kUiVariationKey = "ui_variation=";
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

// One "ui_variation=" of the text: where its key starts and its value.
struct LiveryName {
    std::size_t keyPos = 0;
    std::string name;
};

// The "ui_variation=" occurrences in file order, duplicates kept: each value is the rest of its
// line up to the next CR, untrimmed, possibly empty.
std::vector<LiveryName> findLiveryNames(std::string_view text);

// The values of findLiveryNames: the livery list. Item k stands for the k-th entry header of the
// file, in file order, whatever number it carries.
std::vector<std::string> listLiveryNames(std::string_view text);

} // namespace hx
