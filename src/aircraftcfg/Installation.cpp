#include "aircraftcfg/Installation.h"

#include "aircraftcfg/FltsimEntries.h"
#include "history/History.h"
#include "packages/LocalPackageList.h"
#include "packages/PackageInfo.h"
#include "packages/SafeName.h"
#include "platform/FileSystem.h"

#include <utility>

namespace hx {

namespace {

using platform::joinPath;

// Copies the files of `fromFolder` matching `pattern` into `toFolder`, never overwriting and
// skipping subfolders; every failure is ignored. The history notes each file copied. The front
// end handles its pending events after each file, so that a window keeps drawing (and its
// progress bar moving) during a long copy.
void copyFiles(const std::string& fromFolder, const char* pattern, const std::string& toFolder,
               PendingChange& change, Feedback& feedback)
{
    for (const platform::DirEntry& entry : platform::listFolder(fromFolder, pattern)) {
        // Names from a listing are single components already; the check keeps names that
        // Windows would rewrite (a trailing dot or blank) from landing on another file.
        if (entry.isFolder || !isPlainName(entry.name))
            continue;
        // A file that is there already is kept, as the copy never overwrites.
        const std::string target = joinPath(toFolder, entry.name);
        if (platform::copyFileNoOverwrite(joinPath(fromFolder, entry.name), target))
            change.fileCopied(target);
        feedback.processEvents();
    }
}

// The livery's name in the history: its "ui_variation", read as the livery list will read it
// once the entry is in aircraft.cfg, else the package folder's name.
std::string liveryName(const PackageToInstall& package)
{
    const std::string_view entry = package.informationText;
    if (const std::optional<KeyLine> name =
            findKey(entry, entryKeyLines(entry, 0), kUiVariationKey))
        return std::string(name->value);
    const std::size_t slash = package.packageFolder.find_last_of(platform::kSeparator);
    return slash == std::string::npos ? package.packageFolder
                                      : package.packageFolder.substr(slash + 1);
}

// Creates the installed texture folder and copies the package's files into it, then for FSX
// the product's shared base bitmaps. Nothing is copied when the folder cannot be made.
void copyTextures(const PackageToInstall& package, const Simulator& sim, const std::string& base,
                  PendingChange& change, Feedback& feedback)
{
    const std::string productFolder = platform::resolvePath(base + package.productFolderName);
    const std::string installed =
        platform::resolvePath(joinPath(productFolder, package.textureFolderName));
    const bool created = platform::createFolder(installed);
    if (!platform::folderExists(installed))
        return; // nothing can be copied; the entry stays
    change.copyingInto(installed, created);
    copyFiles(joinPath(package.packageFolder, package.textureFolderName), "*.*", installed, change,
              feedback);
    if (sim.kind == SimKind::FSX) {
        // The package's own files went first, so a bitmap it brings wins over the shared one.
        copyFiles(joinPath(base + package.productFolderName, "texbase"), "*.bmp", installed, change,
                  feedback);
    }
}

// A run over all packages that stops tells which package stopped it and how many were
// installed before: the stopping message carries that as its detail.
class StoppedRunFeedback : public Feedback {
public:
    StoppedRunFeedback(Feedback& inner, const std::string& package, std::size_t installedBefore)
        : inner_(inner), detail_(stoppedRunDetail(package, installedBefore))
    {
    }
    void showMessage(const std::string& text) override
    {
        inner_.showDetailedMessage(text, detail_);
    }
    void showDetailedMessage(const std::string& text, const std::string& detail) override
    {
        inner_.showDetailedMessage(text, detail + "\n" + detail_);
    }
    void hideProgressPanel() override { inner_.hideProgressPanel(); }
    void processEvents() override { inner_.processEvents(); }
    void listsChanged() override { inner_.listsChanged(); }

private:
    Feedback& inner_;
    std::string detail_;
};

Outcome refuse(Feedback& feedback, const std::string& message)
{
    feedback.showMessage(message);
    feedback.hideProgressPanel();
    return Outcome::Refused;
}

bool informationFileExists(const std::string& packageFolder)
{
    return platform::fileExists(informationFilePath(packageFolder));
}

} // namespace

PackageToInstall preparePackage(const std::string& packageFolder)
{
    PackageToInstall package;
    package.packageFolder = packageFolder;
    package.textureFolderName = textureFolderName(packageFolder);
    PackageDescription description = describePackage(packageFolder);
    package.informationText = std::move(description.informationText);
    package.productFolderName = std::move(description.productFolderName);
    return package;
}

Outcome installOnePackage(const PackageToInstall& package, const Simulator& sim, Feedback& feedback)
{
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base) {
        feedback.showMessage(kPleaseSelectFS);
        return Outcome::Refused;
    }
    // Both names come from the package and decide where files are written: each must stay one
    // folder inside the aircraft base folder and inside the product folder respectively.
    if (!isPlainName(package.productFolderName))
        return refuse(feedback, "Cannot install: the package's productfolder value does not name "
                                "a single aircraft folder (\"" +
                                    package.productFolderName + "\")");
    const bool hasTextureFolder = !package.textureFolderName.empty();
    if (hasTextureFolder && !isPlainName(package.textureFolderName))
        return refuse(feedback, "Cannot install: the package's texture folder name is not a "
                                "plain folder name (\"" +
                                    package.textureFolderName + "\")");

    const std::string configFile = configFilePath(*base, package.productFolderName);
    if (!platform::fileExists(configFile))
        return refuse(feedback, kCannotFindConfig);

    const std::string text = readWorkingText(configFile);
    const std::string entry = numberEntry(package.informationText, newEntryNumber(text));
    // The history keeps the file as it is before anything is written; when it cannot, the
    // installation stops here.
    PendingChange change = beginChange(ChangeAction::Installation, package.productFolderName,
                                       liveryName(package), configFile);
    writeWorkingText(platform::resolvePath(configFile), insertEntry(text, entry));
    if (hasTextureFolder)
        copyTextures(package, sim, *base, change, feedback);
    change.finish();
    return Outcome::Completed;
}

Outcome installSelectedPackage(const LocalPackageList& list, const Simulator& sim,
                               Feedback& feedback)
{
    const std::string name = list.selectedName();
    const std::string folder = list.packageFolder(name);
    if (name.empty() || !informationFileExists(folder))
        return refuse(feedback, kPleaseChooseCorrectLivery);

    PackageToInstall package;
    package.packageFolder = folder;
    PackageDescription description = describePackage(folder);
    package.informationText = std::move(description.informationText);
    const CurrentPackage& current = list.current();
    if (current.name == name) {
        package.textureFolderName = current.textureFolderName;
        package.productFolderName = current.productFolderName;
    } else {
        package.textureFolderName = textureFolderName(folder);
        package.productFolderName = std::move(description.productFolderName);
    }
    const Outcome outcome = installOnePackage(package, sim, feedback);
    if (outcome != Outcome::Completed)
        return outcome;
    feedback.showMessage(kInstallationCompleted);
    return Outcome::Completed;
}

std::string stoppedRunDetail(const std::string& package, std::size_t installedBefore)
{
    const std::string count = installedBefore == 0 ? "no package was"
                              : installedBefore == 1
                                  ? "1 package was"
                                  : std::to_string(installedBefore) + " packages were";
    return "Stopped at the package \"" + package + "\"; " + count + " installed before it.";
}

Outcome installAllPackages(const LocalPackageList& list, const Simulator& sim, Feedback& feedback)
{
    std::size_t installed = 0;
    for (const std::string& name : list.items()) {
        StoppedRunFeedback stopped(feedback, name, installed);
        const std::string folder = list.packageFolder(name);
        if (!informationFileExists(folder))
            return refuse(stopped, kPleaseChooseCorrectLivery);
        const Outcome outcome = installOnePackage(preparePackage(folder), sim, stopped);
        if (outcome != Outcome::Completed)
            return outcome;
        ++installed;
    }
    feedback.showMessage(kInstallationCompleted);
    return Outcome::Completed;
}

Outcome installPackages(const LocalPackageList& list, bool allLiveries, const Simulator& sim,
                        Feedback& feedback)
{
    return allLiveries ? installAllPackages(list, sim, feedback)
                       : installSelectedPackage(list, sim, feedback);
}

} // namespace hx
