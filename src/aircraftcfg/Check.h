#pragma once
// Checking an aircraft for what makes liveries vanish or break in the simulator, and repairing
// the numbering of its entries.

#include "packages/Feedback.h"
#include "packages/Simulator.h"

#include <string>
#include <string_view>
#include <vector>

namespace hx {

class History;

// The gaps and repeats in the entry numbers, one line each: the simulators stop reading at the
// first missing number and read only one of two entries with the same number.
std::vector<std::string> numberingProblems(std::string_view workingText);

// The removal panel's one-line warning: the first numbering problem, or empty.
std::string numberingWarning(std::string_view workingText);

// Every problem, one line each: gaps and repeats in the numbering, entries without "title=" or
// "ui_variation=", a "texture=" naming a folder that `productFolder` lacks, "texture.*" folders
// that no entry names, titles used by more than one entry. Keys are read as the simulators read
// them: any letter case, blanks around "=" allowed.
std::vector<std::string> checkAircraft(std::string_view workingText,
                                       const std::string& productFolder);

// The texture files the history says an installation copied into a texture folder that an
// entry of `workingText` (the file at `configPath`) still names, when they are gone or differ
// in size from what was copied; the newest installation into each folder counts.
std::vector<std::string> checkRecordedTextures(std::string_view workingText,
                                               const std::string& configPath,
                                               const History& history);

// The entry headers renumbered 0, 1, 2, … in file order; nothing else changes.
std::string renumberInFileOrder(std::string_view workingText);

// hangarix-cli check: prints the problems of `product` through `feedback`, with those of
// checkRecordedTextures when there is a `history`. Completed when it is clean, Refused when
// something was found or the product cannot be checked.
Outcome checkProduct(const Simulator& sim, const std::string& product, Feedback& feedback,
                     const History* history = nullptr);

// hangarix-cli repair: renumbers the entries of `product` in file order, recorded in `history`
// like any change. A file numbered well already is left untouched.
Outcome repairProduct(const Simulator& sim, const std::string& product, Feedback& feedback,
                      History* history = nullptr);

} // namespace hx
