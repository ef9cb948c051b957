#pragma once
// Installing livery packages into the chosen simulator: one new fltsim entry in the product's
// aircraft.cfg, the package's texture folder copied beside it and, for FSX, the product's
// shared base bitmaps. The local install button and the download-and-install flow share
// installOnePackage.

#include "packages/Feedback.h"
#include "packages/Simulator.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hx {

class History;
class LocalPackageList;

inline constexpr const char* kPleaseChooseCorrectLivery = "Please choose correct livery";
inline constexpr const char* kInstallationCompleted = "Installation completed";

// Everything the install needs to know about one package.
struct PackageToInstall {
    std::string packageFolder;     // downloads or templiv + separator + package name
    std::string textureFolderName; // empty: the package has no texture folder
    std::string productFolderName; // "KZQ_" + the productfolder= value, dashes made "_"
    std::string informationText;   // the entry text with its two-character placeholder
};

// Works out the texture folder name, information text and product folder name of the package
// in `packageFolder`, as a run over several packages does. Throws IoError when the information
// file cannot be read.
PackageToInstall preparePackage(const std::string& packageFolder);

// Installs one package. Refusals, each shown through `feedback` and changing nothing:
// no simulator ("Please select FS"); a product or texture folder name that is not one plain
// name; no aircraft.cfg in the product folder ("Cannot find aircraft.cfg file, please recheck
// pathes", which also hides the progress panel). Otherwise the numbered entry is inserted
// before "[General]" and the file is replaced atomically; then the texture folder is created
// and the package's files copied into it, never overwriting, subfolders skipped, followed for
// FSX by the "*.bmp" files of the product's "texbase". A package without a texture folder gets
// its entry and nothing else. Copy and folder failures are ignored; an aircraft.cfg that cannot
// be read or written throws IoError. `feedback` handles pending events after each file copied.
// The change is recorded in `history` when there is one (here and in the three below).
// A package whose livery is already installed (the same ui_variation with the same texture
// folder, see installedCopy) is installed again only when `feedback.confirm` answers Yes to
// alreadyInstalledQuestion; otherwise nothing changes and the outcome is Skipped.
Outcome installOnePackage(const PackageToInstall& package, const Simulator& sim, Feedback& feedback,
                          History* history = nullptr);

// The number of the entry of `workingText` that already holds the package's livery: its
// "ui_variation" value with its texture folder.
std::optional<std::size_t> installedCopy(std::string_view workingText,
                                         const PackageToInstall& package);
// "Blue is already installed (as [fltsim.3]). Install another copy?"
std::string alreadyInstalledQuestion(const PackageToInstall& package, std::size_t entry);
// For each item of the list, the entry that already holds it in its aircraft, as the lists
// mark it; nothing for a package or an aircraft.cfg that cannot be read.
std::vector<std::optional<std::size_t>> installedPackages(const LocalPackageList& list,
                                                          const Simulator& sim);
// "2 packages were already installed and skipped: Blue, Red." (empty for none)
std::string skippedRunDetail(const std::vector<std::string>& skipped);

// The install button with "Select all liveries" unticked: the package selected in the list,
// with the texture and product folder names worked out when it was shown. When the current
// package is not the selected one (its showing failed), the names are worked out afresh so
// that values of two packages are never paired. Ends with "Installation completed".
Outcome installSelectedPackage(const LocalPackageList& list, const Simulator& sim,
                               Feedback& feedback, History* history = nullptr);

// The install button with "Select all liveries" ticked: every listed package in list order,
// stopping at the first refusal (no completion message then). The refusal's message carries
// stoppedRunDetail as its detail. The list, its selection and its current package are left as
// they were. Packages already installed are skipped without a question; the completion message
// names them (skippedRunDetail).
// "Stopped at the package "NAME"; N packages were installed before it."
std::string stoppedRunDetail(const std::string& package, std::size_t installedBefore);

Outcome installAllPackages(const LocalPackageList& list, const Simulator& sim, Feedback& feedback,
                           History* history = nullptr);

// The install button: one of the two above, as the check box says.
Outcome installPackages(const LocalPackageList& list, bool allLiveries, const Simulator& sim,
                        Feedback& feedback, History* history = nullptr);

} // namespace hx
