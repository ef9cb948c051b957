#pragma once
// The livery entries of an aircraft.cfg. The file is never parsed into sections: every rule
// works on the whole file as one string (the working text, every line followed by CR LF) with
// exact, case-sensitive substring searches. All operations run in time linear in the text.

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

// Reads the file by the line rules (LF, CR LF, lone CR dropped, Ctrl-Z) and joins its lines with
// CR LF. Throws IoError when the file cannot be opened or read.
std::string readWorkingText(const std::string& path);

// The number for a new entry: how often "[fltsim." occurs anywhere in the text, exactly as
// written (commented-out headers and occurrences inside values count too).
std::size_t countEntries(std::string_view text);

// Replaces the two placeholder characters at (1-based) positions 9 and 10 by `n` in decimal.
// Whatever stands there is replaced; a text shorter than 10 characters loses what stands from
// position 9 on and gets the number appended.
std::string numberEntry(std::string_view entryText, std::size_t n);

// Inserts CR LF CR LF + the numbered entry directly in front of the two characters that precede
// the first "[General]", so exactly one empty line separates the new entry from "[General]".
// Without "[General]" (or with it within the first two characters) the insertion goes to the
// very start of the text.
std::string insertEntry(std::string_view workingText, std::string_view numberedEntry);

// Replaces the file with the text, unchanged, atomically: a failed write leaves the old file.
// Throws IoError.
void writeWorkingText(const std::string& path, std::string_view text);

// The "ui_variation=" values in file order, duplicates kept: each is the rest of its line up to
// the next CR, untrimmed, possibly empty. Item k stands for the entry "[fltsim.k]".
std::vector<std::string> listLiveryNames(std::string_view text);

} // namespace hx
