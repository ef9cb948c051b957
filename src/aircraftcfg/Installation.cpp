#include "aircraftcfg/Installation.h"

#include "aircraftcfg/FltsimEntries.h"
#include "packages/LocalPackageList.h"
#include "packages/PackageInfo.h"
#include "packages/SafeName.h"
#include "platform/FileSystem.h"

namespace hx {

namespace {

using platform::joinPath;

// Copies the files of `fromFolder` matching `pattern` into `toFolder`, never overwriting and
// skipping subfolders; every failure is ignored. The front end handles its pending events after
// each file, so that a window keeps drawing (and its progress bar moving) during a long copy.
void copyFiles(const std::string& fromFolder, const char* pattern, const std::string& toFolder,
               Feedback& feedback)
{
    for (const platform::DirEntry& entry : platform::listFolder(fromFolder, pattern)) {
        // Names from a listing are single components already; the check keeps names that
        // Windows would rewrite (a trailing dot or blank) from landing on another file.
        if (entry.isFolder || !isPlainName(entry.name))
            continue;
        platform::copyFileNoOverwrite(joinPath(fromFolder, entry.name),
                                      joinPath(toFolder, entry.name));
        feedback.processEvents();
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
    package.informationText = readInformationText(informationFilePath(packageFolder));
    package.productFolderName = productFolderName(package.informationText);
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

    const std::string productFolder = platform::resolvePath(*base + package.productFolderName);
    const std::string configFile = configFilePath(*base, package.productFolderName);
    if (!platform::fileExists(configFile))
        return refuse(feedback, kCannotFindConfig);

    const std::string text = readWorkingText(configFile);
    const std::string entry = numberEntry(package.informationText, newEntryNumber(text));
    writeWorkingText(platform::resolvePath(configFile), insertEntry(text, entry));

    if (!hasTextureFolder)
        return Outcome::Completed;
    const std::string installed =
        platform::resolvePath(joinPath(productFolder, package.textureFolderName));
    platform::createFolder(installed);
    if (!platform::folderExists(installed))
        return Outcome::Completed; // nothing can be copied; the entry stays
    copyFiles(joinPath(package.packageFolder, package.textureFolderName), "*.*", installed,
              feedback);
    if (sim.kind == SimKind::FSX) {
        // The package's own files went first, so a bitmap it brings wins over the shared one.
        copyFiles(joinPath(*base + package.productFolderName, "texbase"), "*.bmp", installed,
                  feedback);
    }
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
    package.informationText = readInformationText(informationFilePath(folder));
    const CurrentPackage& current = list.current();
    if (current.name == name) {
        package.textureFolderName = current.textureFolderName;
        package.productFolderName = current.productFolderName;
    } else {
        package.textureFolderName = textureFolderName(folder);
        package.productFolderName = productFolderName(package.informationText);
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
