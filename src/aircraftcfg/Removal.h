#pragma once
// The removal panel without its widgets: the product list (the maker's aircraft installed in
// the simulator), the livery list (the "ui_variation" names of the chosen aircraft's
// aircraft.cfg) and the three actions the window's handlers and hangarix-cli run on them.
//
// An item's position in the livery list is what identifies a livery: item i stands for the i-th
// entry, in file order, that has a "ui_variation" key, whatever number its header carries.
// Before removing, the removal checks that this entry's name still reads as the item does.

#include "aircraftcfg/FltsimEntries.h"
#include "packages/ChoiceList.h"
#include "packages/Feedback.h"
#include "packages/Simulator.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hx {

class History;

inline constexpr const char* kRemovedSuccesfully = "Removed succesfully";
inline constexpr const char* kProductPattern = "KZQ_*.";

class RemovalPanel {
public:
    const ChoiceList& products() const { return products_; }
    const ChoiceList& liveries() const { return liveries_; } // of the chosen product
    // One line under the livery list when the chosen product's entries have a gap or a repeat
    // in their numbers (the simulator then hides liveries); empty otherwise.
    const std::string& warning() const { return warning_; }

    // The user's choice in either list (no procedure runs; see productChosen for the one that
    // lists the liveries).
    void selectProduct(int index) { products_.select(index); }
    void selectLivery(int index) { liveries_.select(index); }

    // Opens the panel: refills the product list with the names in the aircraft base folder that
    // match "KZQ_*.", in the order the file system lists them, nothing selected; the livery list
    // keeps its items. Returns whether the panel shows (false after "Please select FS").
    bool openPanel(const Simulator& sim, Feedback& feedback);

    // Selects product `index` and lists the liveries of that product.
    Outcome productChosen(const Simulator& sim, int index, Feedback& feedback);

    // Refills the livery list from the selected product's aircraft.cfg, first item selected. The
    // file is read without an existence test, so a missing file throws IoError ("File not found").
    Outcome listLiveries(const Simulator& sim, Feedback& feedback);

    // Cuts the entry of the selected livery out of aircraft.cfg, renumbers the remaining
    // entries, writes the file back atomically, empties and removes the entry's texture folder
    // unless another entry still names it, refills the livery list and reports "Removed
    // succesfully" (with a second line when the folder was kept). Refusals change nothing. The
    // change is recorded in `history` when there is one; the texture folder then moves there.
    Outcome removeSelectedLivery(const Simulator& sim, Feedback& feedback,
                                 History* history = nullptr);

    // The picture of the selected livery: "thumbnail.jpg" in the texture folder its entry names
    // (texture.<value> in the aircraft's folder), folder and file found whatever their letter
    // case. `fallback` when its entry has no texture key, the file no longer holds the entry at
    // the item's place or the folder holds no such picture; empty when no livery is selected.
    // Throws IoError when aircraft.cfg exists but cannot be read.
    std::string liveryPicturePath(const Simulator& sim, const std::string& fallback) const;

private:
    // The selected product's aircraft.cfg in `base`; nothing, after its refusal's message, when
    // the product is no plain name or the file is missing.
    std::optional<std::string> selectedConfigFile(const std::string& base,
                                                  Feedback& feedback) const;
    // Lists the liveries of the rewritten file and reports the removal; `keptTextureFolder`
    // names the folder kept for another livery, `stuckTextureFolder` is the message of a texture
    // folder that could not be deleted (empty: none).
    void relistAfterRemoval(const std::string& configPath, const std::string& keptTextureFolder,
                            const std::string& stuckTextureFolder, Feedback& feedback);

    ChoiceList products_;
    ChoiceList liveries_;
    std::string warning_;
    // Fills the livery list (first item selected) and the warning from aircraft.cfg's text.
    void showLiveriesOf(const std::string& workingText);
};

// The pieces of the removal, exposed for the benchmark and the tests (the entry spans and
// texture folders they use are FltsimEntries's).

// After the entry numbered `removed` is gone: every header numbered above it goes down by one,
// so a well-formed file is numbered 0, 1, 2, … again. When another header still carries
// `removed` (a duplicate), nothing is renumbered: lowering would make a second duplicate.
std::string renumberEntries(std::string_view workingText, std::size_t removed);

// The working text without the entry, renumbered.
std::string cutEntry(std::string_view workingText, const EntrySpan& span);

} // namespace hx
