#include "online/DownloadFlow.h"

#include "aircraftcfg/Installation.h"
#include "archive/ArchiveFormat.h"
#include "online/Catalogue.h"
#include "online/MHttpGetResume.h"
#include "online/RecursiveDelete.h"
#include "packages/PackageInfo.h"
#include "packages/SafeName.h"
#include "packages/WorkingFolders.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace hx {

namespace {

// The archive's file name in tempzip, taken from the URL as a thumbnail's is.
std::string archiveNameOf(const std::string& url, std::string& refusal)
{
    const std::string name = urlFileName(url);
    if (!isPlainFileName(name)) {
        refusal = "Refused the archive name \"" + name + "\" of \"" + url +
                  "\": it is not a plain file name";
        return {};
    }
    return name;
}

// Binds the component's events to the flow for one click and restores the owner's afterwards.
class EventBinding {
public:
    EventBinding(TMHttpGetResume& httpget, DownloadFlow& flow, DownloadFlowFeedback& feedback,
                 bool& concluded)
        : httpget_(httpget), progress_(httpget.MOnProgress), concluido_(httpget.MOnConcluido),
          pump_(httpget.MProcessMessages)
    {
        // The owner's progress handler (the window's) sets the titles itself; without one,
        // the flow reports them.
        if (!progress_)
            httpget.MOnProgress = [&flow](TMHttpGetResume& sender) { flow.reportProgress(sender); };
        httpget.MOnConcluido = [this, &concluded](TMHttpGetResume& sender) {
            concluded = !sender.MErro();
            if (concluido_)
                concluido_(sender);
        };
        if (!httpget.MProcessMessages)
            httpget.MProcessMessages = [&feedback] { feedback.processEvents(); };
    }
    ~EventBinding()
    {
        httpget_.MOnProgress = progress_;
        httpget_.MOnConcluido = concluido_;
        httpget_.MProcessMessages = pump_;
    }
    EventBinding(const EventBinding&) = delete;
    EventBinding& operator=(const EventBinding&) = delete;

private:
    TMHttpGetResume& httpget_;
    TMHttpGetResume::TOnProgressEvent progress_;
    TMHttpGetResume::TOnConcluidoEvent concluido_;
    std::function<void()> pump_;
};

// Whether `path` names something inside `folder` (both made absolute, links followed).
bool liesInside(const std::string& path, const std::string& folder)
{
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::weakly_canonical(path, ec);
    const std::filesystem::path inside = std::filesystem::weakly_canonical(folder, ec);
    if (ec)
        return false;
    const auto [end, rest] = std::mismatch(inside.begin(), inside.end(), file.begin(), file.end());
    return end == inside.end() && rest != file.end();
}

} // namespace

std::string downloadPercentText(std::int64_t received, std::int64_t total)
{
    if (total <= 0)
        return "0%";
    const double p = static_cast<double>(received) / static_cast<double>(total) * 100.0;
    return std::to_string(std::llround(p)) + "%";
}

std::string downloadCaption(std::int64_t received, std::int64_t total)
{
    return "KZQ Hangarix - " + downloadPercentText(received, total);
}

std::string downloadApplicationTitle(std::int64_t received, std::int64_t total)
{
    return "KZQ HX - " + downloadPercentText(received, total);
}

void showDownloadTitles(DownloadFlowFeedback& feedback, std::int64_t received, std::int64_t total)
{
    if (total <= 0)
        return;
    feedback.setTitles(downloadCaption(received, total), downloadApplicationTitle(received, total));
}

const char* phaseText(FlowPhase phase)
{
    switch (phase) {
    case FlowPhase::Download:
        return kDownloadPhaseText;
    case FlowPhase::Unpack:
        return kUnpackPhaseText;
    case FlowPhase::Install:
        return kInstallPhaseText;
    }
    return "";
}

DownloadFlow::DownloadFlow(TMHttpGetResume& httpget, std::string startupFolder, History* history)
    : httpget_(httpget), startupFolder_(std::move(startupFolder)), history_(history)
{
}

std::string DownloadFlow::archivePath(const std::string& archiveName) const
{
    return platform::joinPath(workingFolder(startupFolder_, kTempZipFolder), archiveName);
}

std::string DownloadFlow::unpackFolder() const
{
    return workingFolder(startupFolder_, kTempLivFolder);
}

void DownloadFlow::reportProgress(TMHttpGetResume& sender)
{
    if (feedback_)
        showDownloadTitles(*feedback_, sender.MTotalRecebido(), sender.MTamanhoArquivo());
}

Outcome DownloadFlow::downloadAndInstall(const std::string& selectedArchiveUrl,
                                         const Simulator& sim, DownloadFlowFeedback& feedback)
{
    return downloadAndInstall(selectedArchiveUrl, SimulatorChoice([&sim] { return sim; }),
                              feedback);
}

Outcome DownloadFlow::downloadAndInstall(const std::string& selectedArchiveUrl,
                                         const SimulatorChoice& sim, DownloadFlowFeedback& feedback)
{
    return runOnce(feedback, [&] { return run(selectedArchiveUrl, sim, feedback); });
}

template <typename Work> Outcome DownloadFlow::runOnce(DownloadFlowFeedback& feedback, Work&& work)
{
    // The download and the unpacking let the window handle its messages; a second click that
    // arrives meanwhile must neither start a second download of the same archive nor unpack
    // the archive that the first one is still writing.
    if (running_)
        return Outcome::Stopped;
    running_ = true;
    feedback_ = &feedback;
    struct Reset {
        DownloadFlow& flow;
        ~Reset()
        {
            flow.running_ = false;
            flow.feedback_ = nullptr;
        }
    } reset{*this};
    try {
        return work();
    } catch (...) {
        feedback.hideProgressPanel();
        throw;
    }
}

Outcome DownloadFlow::run(const std::string& selectedArchiveUrl, const SimulatorChoice& sim,
                          DownloadFlowFeedback& feedback)
{
    if (sim().kind == SimKind::None) {
        feedback.showMessage(kPleaseSelectFS);
        return Outcome::Refused;
    }
    if (selectedArchiveUrl.empty()) {
        feedback.showMessage(kChooseALiveryFirst);
        return Outcome::Refused;
    }
    std::string refusal;
    const std::string archiveName = archiveNameOf(selectedArchiveUrl, refusal);
    if (archiveName.empty()) {
        feedback.showMessage(refusal);
        return Outcome::Refused;
    }
    const std::string archive = archivePath(archiveName);
    httpget_.MArquivoLocal = archive;
    httpget_.MURL = selectedArchiveUrl;

    feedback.enterPhase(FlowPhase::Download);
    bool concluded = false;
    {
        EventBinding binding(httpget_, *this, feedback, concluded);
        httpget_.MBaixar();
    }
    feedback.setTitles(kMainWindowCaption, kApplicationTitle);
    feedback.enterPhase(FlowPhase::Unpack);

    // Only an archive that the component reports complete is unpacked: a paused or failed
    // download leaves a partial file that stays for the next click to resume. When the server
    // could not even tell the size (it is down), the archive already in tempzip is tried as it
    // is: one completed by an earlier click installs offline, a partial one fails to open and
    // stays for the resume.
    const bool present = platform::fileExists(archive);
    const bool complete = concluded && httpget_.localFileComplete();
    const bool sizeUnknown = present && httpget_.MErro() && httpget_.MTamanhoArquivo() == 0;
    if (!complete && !sizeUnknown)
        return downloadFailed(feedback);
    if (const Outcome unpacked = unpack(archive, archiveName, complete, feedback);
        unpacked != Outcome::Completed)
        return unpacked;

    feedback.enterPhase(FlowPhase::Install);
    std::vector<std::string> installedNames;
    if (const Outcome installed = installUnpacked(archiveName, sim, feedback, installedNames);
        installed != Outcome::Completed)
        return installed;

    feedback.hideProgressPanel();
    feedback.showDetailedMessage(kDownloadingAndInstallingCompleted,
                                 installedDetail(installedNames));
    removeArchive(archive);
    // What cannot be deleted now is deleted before the next unpacking.
    (void)recursiveDelete(unpackFolder(), {.clearReadOnly = true});
    return Outcome::Completed;
}

Outcome DownloadFlow::unpack(const std::string& archive, const std::string& archiveName,
                             bool knownComplete, DownloadFlowFeedback& feedback)
{
    try {
        extract(archive, feedback);
        return Outcome::Completed;
    } catch (const OtherArchiveFormat& e) {
        // The user is told to unpack it by hand, so it stays where the message says; the next
        // click finds it complete and says the same without downloading it again.
        feedback.hideProgressPanel();
        feedback.showMessage(std::string(e.what()) + " (it was kept as " + archive + ")");
        return Outcome::Refused;
    } catch (const ZipRefusal& e) {
        // Kept, a complete archive would be found and refused again at every click; one that
        // may still be partial stays, as the resume may yet complete it.
        feedback.hideProgressPanel();
        if (!knownComplete) {
            feedback.showMessage(e.what());
            return Outcome::Refused;
        }
        removeArchive(archive);
        feedback.showMessage(std::string(e.what()) + "; it was removed from " + kTempZipFolder);
        return Outcome::Refused;
    } catch (const ZipError& e) {
        // An archive that may be partial is left for the resume; the download's failure is
        // what the user is told.
        if (!knownComplete)
            return downloadFailed(feedback);
        // The archive is complete, so no resume can mend it: only a fresh download can.
        removeArchive(archive);
        feedback.hideProgressPanel();
        feedback.showMessage(std::string(e.what()) + "; " + archiveName +
                             " was removed, so the next download fetches it afresh");
        return Outcome::Refused;
    }
}

void DownloadFlow::extract(const std::string& archive, DownloadFlowFeedback& feedback)
{
    // An archive of another kind is refused before templiv is touched.
    refuseOtherArchiveFormats(archive);
    // A leftover that cannot be deleted is no reason to stop: the extractor replaces a file
    // through a new one and follows no link left in its place.
    (void)recursiveDelete(unpackFolder(), {.clearReadOnly = true});
    ZipExtractor extractor(zipLimits_);
    extractor.setMeter([&feedback](const ZipProgress& progress) {
        feedback.setUnpackMeter(progress.percent);
        feedback.processEvents();
    });
    extractor.extractAll(archive, unpackFolder() + platform::kSeparator);
    feedback.hideUnpackMeter();
}

Outcome DownloadFlow::installArchives(const std::vector<std::string>& archives,
                                      const SimulatorChoice& sim, DownloadFlowFeedback& feedback)
{
    return runOnce(feedback, [&] {
        if (sim().kind == SimKind::None) {
            feedback.showMessage(kPleaseSelectFS);
            return Outcome::Refused;
        }
        std::vector<std::string> installed;
        for (const std::string& archive : archives) {
            if (const Outcome outcome = installArchive(archive, sim, feedback, installed);
                outcome != Outcome::Completed)
                return outcome;
        }
        feedback.hideProgressPanel();
        feedback.showDetailedMessage(kInstallationCompleted, installedDetail(installed));
        // What cannot be deleted now is deleted before the next unpacking.
        (void)recursiveDelete(unpackFolder(), {.clearReadOnly = true});
        return Outcome::Completed;
    });
}

Outcome DownloadFlow::installArchive(const std::string& archive, const SimulatorChoice& sim,
                                     DownloadFlowFeedback& feedback,
                                     std::vector<std::string>& installed)
{
    if (!platform::fileExists(archive)) {
        feedback.showMessage("Cannot find the archive \"" + archive + "\"; nothing was installed");
        return Outcome::Refused;
    }
    // templiv is emptied before the unpacking: an archive inside it would be deleted.
    if (liesInside(archive, unpackFolder())) {
        feedback.showMessage("The archive \"" + archive + "\" lies in " + kTempLivFolder +
                             ", which is emptied before unpacking; move it elsewhere first");
        return Outcome::Refused;
    }
    feedback.enterPhase(FlowPhase::Unpack);
    try {
        extract(archive, feedback);
    } catch (const ZipError& e) {
        feedback.hideProgressPanel();
        feedback.showDetailedMessage(e.what(), "Archive: " + archive);
        return Outcome::Refused;
    }
    feedback.enterPhase(FlowPhase::Install);
    // Nothing in templiv is the archive itself, so no entry is passed by.
    return installUnpacked(std::string(), sim, feedback, installed);
}

Outcome DownloadFlow::downloadFailed(DownloadFlowFeedback& feedback)
{
    // Without a word the load button would seem dead. A pause (the window closing) is no
    // failure and says nothing.
    if (httpget_.MErro() && !httpget_.errorText().empty())
        feedback.showMessage(httpget_.errorText());
    feedback.hideProgressPanel();
    return Outcome::Stopped;
}

void DownloadFlow::removeArchive(const std::string& archive)
{
    // Either may be missing already; nothing else can be done about one that stays.
    (void)platform::deleteFile(archive);
    (void)platform::deleteFile(resumeFilePath(archive));
}

std::string installedDetail(const std::vector<std::string>& installed)
{
    if (installed.empty())
        return "The archive held no livery package: nothing was installed.";
    std::string detail = "Installed:";
    for (const std::string& name : installed)
        detail += "\n" + name;
    return detail;
}

Outcome DownloadFlow::installUnpacked(const std::string& archiveName, const SimulatorChoice& sim,
                                      DownloadFlowFeedback& feedback,
                                      std::vector<std::string>& installed)
{
    // "*." matches only names without an extension, so "Livery.v2" is no package folder.
    for (const platform::DirEntry& entry : platform::listFolder(unpackFolder(), "*.")) {
        if (entry.name == archiveName)
            continue;
        const std::string packageFolder = platform::joinPath(unpackFolder(), entry.name);
        if (!platform::fileExists(informationFilePath(packageFolder))) {
            feedback.showDetailedMessage(kCannotFindInformationFile,
                                         "The archive's folder \"" + entry.name + "\" holds no " +
                                             kInformationFileName + ".");
            feedback.hideProgressPanel();
            return Outcome::Refused;
        }
        const PackageToInstall package = preparePackage(packageFolder);
        const Outcome outcome = installOnePackage(package, sim(), feedback, history_);
        if (outcome != Outcome::Completed && outcome != Outcome::Skipped) {
            feedback.hideProgressPanel();
            return outcome;
        }
        const std::string title = keyValue(package.informationText, kTitleKey);
        installed.push_back((title.empty() ? entry.name : title) + " (" +
                            package.productFolderName + ")" +
                            (outcome == Outcome::Skipped ? ": already installed, skipped" : ""));
    }
    return Outcome::Completed;
}

} // namespace hx
