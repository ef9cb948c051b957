#include "aircraftcfg/Installation.h"

#include "aircraftcfg/FltsimEntries.h"
#include "history/ChangeLock.h"
#include "history/History.h"
#include "packages/LocalPackageList.h"
#include "packages/PackageInfo.h"
#include "packages/SafeName.h"
#include "platform/AsciiCase.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/MoveFolder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace hx {

namespace {

using platform::joinPath;

// One file to copy into the texture folder.
struct TextureFile {
    std::string source;
    std::string name;
    std::uint64_t size = 0; // when it was listed
};

// What the textures' part of an installation found and placed.
struct Textures {
    std::vector<TextureFile> files;   // to be copied
    std::size_t kept = 0;             // files the texture folder holds already (never overwritten)
    std::vector<std::string> skipped; // pipes, devices and the like, never opened
    std::string target;               // the texture folder
    std::string staging;              // the folder beside it the copies go to first
    bool created = false;             // the texture folder did not exist
    std::vector<std::string> placed;  // files now in the texture folder

    // Takes the placed files (and the folder, when created) back out of the aircraft.
    void takeBack()
    {
        for (const std::string& file : placed)
            (void)platform::deleteFile(file);
        if (created)
            (void)platform::removeFolder(target);
        removeStaging();
    }
    void removeStaging() const
    {
        for (const platform::DirEntry& entry : platform::listFolder(staging, "*"))
            (void)platform::deleteFile(joinPath(staging, entry.name));
        (void)platform::removeFolder(staging);
    }
};

// Adds the plain files of `fromFolder` matching `pattern` that neither the texture folder nor
// the list holds yet (the package's own files come first and win).
void gatherFiles(const std::string& fromFolder, const char* pattern, Textures& textures)
{
    for (const platform::DirEntry& entry : platform::listFolder(fromFolder, pattern)) {
        // Names from a listing are single components already; the check keeps names that
        // Windows would rewrite (a trailing dot or blank) from landing on another file.
        if (entry.isFolder || !isPlainName(entry.name))
            continue;
        const std::string source = joinPath(fromFolder, entry.name);
        const std::optional<std::uint64_t> size = platform::plainFileSize(source);
        if (!size) {
            textures.skipped.push_back(entry.name);
            continue;
        }
        const bool listed =
            std::any_of(textures.files.begin(), textures.files.end(), [&](const TextureFile& f) {
                return platform::equalsIgnoringCase(f.name, entry.name);
            });
        if (listed)
            continue;
        if (!textures.created && platform::pathExists(joinPath(textures.target, entry.name))) {
            ++textures.kept;
            continue;
        }
        textures.files.push_back({source, entry.name, *size});
    }
}

std::string megabytes(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / (1024.0 * 1024.0));
    return text;
}

[[noreturn]] void failCopy(const std::string& what, const std::string& why)
{
    throw IoError(what + " (" + why + "); nothing was changed");
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

// Copies the files into the staging folder; returns why the first failed copy failed, or empty.
// With a second core a helper thread copies too, each thread taking the next file when it is
// done with one: the copy runs in the kernel, and two of them together take about a third less
// time than one (the installation benchmark). The front end's events are handled on this thread
// once for every file copied, by either thread.
std::string copyIntoStaging(const Textures& t, Feedback& feedback)
{
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> failed{false};
    std::atomic<bool> helping{false};
    std::mutex failureLock;
    std::string failure;
    std::size_t handled = 0;
    auto handleEvents = [&] {
        for (; handled < done; ++handled)
            feedback.processEvents();
    };
    auto copy = [&](bool onThisThread) {
        while (!failed) {
            const std::size_t i = next++;
            if (i >= t.files.size())
                return;
            const TextureFile& f = t.files[i];
            // The staging folder is new and gatherFiles kept one name per spelling ignoring case.
            if (!platform::copyFileToNewName(f.source, joinPath(t.staging, f.name))) {
                const std::string why = platform::lastErrorText();
                const std::lock_guard<std::mutex> lock(failureLock);
                if (!failed.exchange(true))
                    failure = "Cannot copy " + f.source + " into " + t.target + " (" + why +
                              "); nothing was changed";
                return;
            }
            ++done;
            if (onThisThread)
                handleEvents();
        }
    };
    {
        std::jthread helper; // joined before an exception from the events leaves
        if (std::thread::hardware_concurrency() >= 2 && t.files.size() >= 2) {
            helping = true;
            helper = std::jthread([&] {
                copy(false);
                helping = false;
            });
        }
        try {
            copy(true);
            while (helping) {
                handleEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        } catch (...) {
            failed = true; // the helper stops after the file in hand
            throw;
        }
    }
    handleEvents();
    return failure;
}

// Copies the package's texture files, then for FSX the product's shared base bitmaps, into a
// folder beside the texture folder, then places them: the whole folder is renamed into place
// when it is new, each file is moved in otherwise (a file the folder holds already is kept).
// Every failure takes back what was done and throws IoError saying what failed and why. The
// front end handles its pending events after each file, so that a window keeps drawing.
Textures placeTextures(const PackageToInstall& package, const Simulator& sim,
                       const std::string& base, PendingChange& change, Feedback& feedback)
{
    const std::string productFolder = platform::resolvePath(base + package.productFolderName);
    Textures t;
    t.target = platform::resolvePath(joinPath(productFolder, package.textureFolderName));
    t.staging = joinPath(productFolder, "." + package.textureFolderName + ".hangarix-new");
    if (platform::pathExists(t.target) && !platform::folderExists(t.target))
        failCopy("Cannot install into " + t.target, "a file of that name is in its place");
    t.created = !platform::folderExists(t.target);
    gatherFiles(joinPath(package.packageFolder, package.textureFolderName), "*.*", t);
    if (installsLikeFsx(sim.kind))
        gatherFiles(joinPath(base + package.productFolderName, "texbase"), "*.bmp", t);

    std::uint64_t needed = 0;
    for (const TextureFile& f : t.files)
        needed += f.size + 4096;
    const std::uint64_t available = platform::freeSpace(productFolder);
    if (available < needed)
        throw IoError("The disk holding " + productFolder + " is full: " + megabytes(available) +
                      " free, " + megabytes(needed) + " needed; nothing was changed");

    change.copyingInto(t.target, t.staging, t.created);
    if (platform::folderExists(t.staging))
        t.removeStaging(); // left by a process that was stopped without a history
    if (!platform::createFolder(t.staging))
        failCopy("Cannot create " + t.staging, platform::lastErrorText());
    std::string failure;
    try {
        failure = copyIntoStaging(t, feedback);
    } catch (...) {
        t.removeStaging(); // the front end's events threw: nothing is left half copied
        throw;
    }
    if (!failure.empty()) {
        t.removeStaging();
        throw IoError(failure);
    }

    std::vector<std::string> targets;
    std::vector<std::uint64_t> sizes;
    for (const TextureFile& f : t.files) {
        targets.push_back(joinPath(t.target, f.name));
        sizes.push_back(platform::fileSize(joinPath(t.staging, f.name)));
    }
    try {
        change.placing(targets, sizes);
    } catch (const Error&) {
        t.removeStaging();
        throw;
    }
    if (t.created) {
        if (!platform::moveFolder(t.staging, t.target)) {
            const std::string why = platform::lastErrorText();
            t.removeStaging();
            failCopy("Cannot create the texture folder " + t.target, why);
        }
        t.placed = targets;
        return t;
    }
    for (std::size_t i = 0; i < t.files.size(); ++i) {
        if (!platform::moveFileNoOverwrite(joinPath(t.staging, t.files[i].name), targets[i])) {
            const std::string why = platform::lastErrorText();
            t.takeBack();
            failCopy("Cannot place " + targets[i], why);
        }
        t.placed.push_back(targets[i]);
    }
    t.removeStaging();
    return t;
}

// What the user should know of the textures besides the completion.
void noteTextures(const Textures& t)
{
    if (t.kept > 0)
        changeNotice("The texture folder " + t.target + " held " + std::to_string(t.kept) +
                     (t.kept == 1 ? " file" : " files") +
                     " of the same name already; they were kept, not overwritten");
    for (const std::string& name : t.skipped)
        changeNotice("Skipped " + name + ": it is not a plain file (a pipe, device or socket)");
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
    bool confirm(const std::string& question) override { return inner_.confirm(question); }

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

Outcome installOnePackage(const PackageToInstall& package, const Simulator& sim, Feedback& feedback,
                          History* history)
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
    // Asked before the lock is taken, so that another process need not wait for the answer.
    if (const auto entry = installedCopy(readWorkingText(configFile), package);
        entry && !feedback.confirm(alreadyInstalledQuestion(package, *entry)))
        return Outcome::Skipped;

    // One change at a time per aircraft: the file is read under the lock.
    const ChangeLock lock(configFile, history);
    const std::string text = readWorkingText(configFile);
    const std::string entry = numberEntry(package.informationText, newEntryNumber(text));
    const std::string installed = insertEntry(text, entry);
    // The history keeps the file as it is before anything is written; when it cannot, the
    // installation stops here. The textures are in place before the entry names them, so a
    // stop at any point leaves either no livery or a whole one.
    PendingChange change =
        beginChange(history, ChangeAction::Installation, package.productFolderName,
                    liveryName(package), configFile, installed);
    Textures textures;
    if (hasTextureFolder)
        textures = placeTextures(package, sim, *base, change, feedback);
    try {
        writeWorkingText(platform::resolvePath(configFile), installed);
    } catch (const Error&) {
        textures.takeBack();
        change.rolledBack();
        throw;
    }
    noteTextures(textures);
    finishChange(change);
    return Outcome::Completed;
}

std::optional<std::size_t> installedCopy(std::string_view workingText,
                                         const PackageToInstall& package)
{
    const std::string_view entry = package.informationText;
    const std::optional<KeyLine> variation =
        findKey(entry, entryKeyLines(entry, 0), kUiVariationKey);
    if (!variation)
        return std::nullopt;
    return findInstalledCopy(workingText, variation->value, package.textureFolderName);
}

std::string alreadyInstalledQuestion(const PackageToInstall& package, std::size_t entry)
{
    return liveryName(package) + " is already installed (as [fltsim." + std::to_string(entry) +
           "]). Install another copy?";
}

std::vector<std::optional<std::size_t>> installedPackages(const LocalPackageList& list,
                                                          const Simulator& sim)
{
    std::vector<std::optional<std::size_t>> marks(list.items().size());
    const std::optional<std::string> base = aircraftBaseFolder(sim);
    if (!base)
        return marks;
    // Packages of one aircraft read its aircraft.cfg once; one that cannot be read marks none.
    std::map<std::string, std::optional<std::string>> configs;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        try {
            const PackageToInstall package = preparePackage(list.packageFolder(list.items()[i]));
            if (!isPlainName(package.productFolderName))
                continue;
            auto [config, fresh] = configs.try_emplace(package.productFolderName);
            if (fresh) {
                const std::string path = configFilePath(*base, package.productFolderName);
                if (platform::fileExists(path))
                    config->second = readWorkingText(path);
            }
            if (config->second)
                marks[i] = installedCopy(*config->second, package);
        } catch (const Error&) {
            // An unreadable package or aircraft.cfg is reported when it is shown or installed.
        }
    }
    return marks;
}

std::string skippedRunDetail(const std::vector<std::string>& skipped)
{
    if (skipped.empty())
        return {};
    std::string names;
    for (const std::string& name : skipped)
        names += (names.empty() ? "" : ", ") + name;
    return (skipped.size() == 1 ? std::string("1 package was")
                                : std::to_string(skipped.size()) + " packages were") +
           " already installed and skipped: " + names + ".";
}

Outcome installSelectedPackage(const LocalPackageList& list, const Simulator& sim,
                               Feedback& feedback, History* history)
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
    const Outcome outcome = installOnePackage(package, sim, feedback, history);
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

// Never asks: a package already installed is skipped, and the completion says which.
class SkipInstalledFeedback : public StoppedRunFeedback {
public:
    using StoppedRunFeedback::StoppedRunFeedback;
    bool confirm(const std::string&) override { return false; }
};

Outcome installAllPackages(const LocalPackageList& list, const Simulator& sim, Feedback& feedback,
                           History* history)
{
    std::size_t installed = 0;
    std::vector<std::string> skipped;
    for (const std::string& name : list.items()) {
        SkipInstalledFeedback stopped(feedback, name, installed);
        const std::string folder = list.packageFolder(name);
        if (!informationFileExists(folder))
            return refuse(stopped, kPleaseChooseCorrectLivery);
        const Outcome outcome = installOnePackage(preparePackage(folder), sim, stopped, history);
        if (outcome == Outcome::Skipped) {
            skipped.push_back(name);
            continue;
        }
        if (outcome != Outcome::Completed)
            return outcome;
        ++installed;
    }
    feedback.showDetailedMessage(kInstallationCompleted, skippedRunDetail(skipped));
    return Outcome::Completed;
}

Outcome installPackages(const LocalPackageList& list, bool allLiveries, const Simulator& sim,
                        Feedback& feedback, History* history)
{
    return allLiveries ? installAllPackages(list, sim, feedback, history)
                       : installSelectedPackage(list, sim, feedback, history);
}

} // namespace hx
