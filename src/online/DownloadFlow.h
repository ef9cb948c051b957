#pragma once
// Download and install: download the chosen livery's archive into tempzip (resuming a partial
// one), unpack it into templiv, install every package found there with the same procedure as the
// local install, then remove the archive and the unpacked files. The front end's progress panel
// shows the phase under way; it draws it from the calls of DownloadFlowFeedback.

#include "archive/ZipExtractor.h"
#include "packages/Feedback.h"
#include "packages/Simulator.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hx {

class History;
class TMHttpGetResume;

// The phase texts the progress panel shows (two lines).
inline constexpr const char* kDownloadPhaseText =
    "Downloading livery, please note this can take several\r\n"
    "minutes depending on the filesize and download speed";
inline constexpr const char* kUnpackPhaseText =
    "Unzipping livery, please note this can take several\r\n"
    "minutes depending on the filesize";
inline constexpr const char* kInstallPhaseText =
    "Installing livery, please note this can take several\r\n"
    "minutes depending on the Livery size";

inline constexpr const char* kCannotFindInformationFile =
    "Cannot find installerinfo.txt file, please recheck pathes";
inline constexpr const char* kDownloadingAndInstallingCompleted =
    "Downloading and Installing completed";
// No livery is chosen in the catalogue, so there is no archive to download.
inline constexpr const char* kChooseALiveryFirst =
    "Please choose a livery in the online catalogue first";

// The application title and the main window's caption when no download runs.
inline constexpr const char* kApplicationTitle = "KZQ HX";
inline constexpr const char* kMainWindowCaption = "Hangarix";

enum class FlowPhase { Download, Unpack, Install };

// The text shown for a phase: kDownloadPhaseText, kUnpackPhaseText or kInstallPhaseText.
const char* phaseText(FlowPhase phase);

// What the flow asks of a front end besides messages.
class DownloadFlowFeedback : public Feedback {
public:
    // The phase under way, with phaseText(phase) as its text.
    // Download: hide the busy bar, show the progress panel with the phase text, the download
    //   figures (received, rest size, total size, rest time) and the download bar.
    // Unpack: hide the figures and the download bar, show the unpack meter at 0.
    // Install: show the busy bar.
    virtual void enterPhase(FlowPhase phase) { (void)phase; }
    // The unpack meter's position, 0..100, each time it changes during the unpacking;
    // processEvents() follows each call, as the meter lets the window handle its messages.
    virtual void setUnpackMeter(int percent) { (void)percent; }
    // The unpacking has ended: hide the unpack meter.
    virtual void hideUnpackMeter() {}
    // The main window's caption and the application title (the taskbar button's text).
    virtual void setTitles(const std::string& caption, const std::string& applicationTitle)
    {
        (void)caption;
        (void)applicationTitle;
    }
};

// The download's percentage: received / total × 100 rounded to a whole number, halves
// away from zero, followed by "%" ("##0%"). "0%" while the total is unknown.
std::string downloadPercentText(std::int64_t received, std::int64_t total);
// "KZQ Hangarix - 42%" and "KZQ HX - 42%".
std::string downloadCaption(std::int64_t received, std::int64_t total);
std::string downloadApplicationTitle(std::int64_t received, std::int64_t total);
// Sets both titles with the percentage received; nothing while the total is unknown (0), as a
// server that tells no size gives no percentage to show.
void showDownloadTitles(DownloadFlowFeedback& feedback, std::int64_t received, std::int64_t total);

// The detail of "Downloading and Installing completed": "Installed:" and one line per package,
// its title and product folder ("KZQ A320 Green (KZQ_A320)"); or, when the archive held no
// package, that nothing was installed.
std::string installedDetail(const std::vector<std::string>& installed);

class DownloadFlow {
public:
    // `httpget`: the download component, with labels, progress bar and message pump bound by
    // the front end; the flow binds its progress and completion events while it runs.
    // `startupFolder`: the folder holding tempzip and templiv. `history`: where the installations
    // are recorded (none: they are not).
    DownloadFlow(TMHttpGetResume& httpget, std::string startupFolder, History* history = nullptr);
    DownloadFlow(const DownloadFlow&) = delete;
    DownloadFlow& operator=(const DownloadFlow&) = delete;

    // Downloads and installs the catalogue's selected archive URL for the simulator choice.
    //
    // Refused with a message: no simulator ("Please select FS"), no livery chosen (an empty
    // URL), an archive URL whose last
    // segment is not a plain file name, a 7-Zip, RAR, tar or gzip file (kept in tempzip, the
    // message says where), a hostile archive (removed from tempzip), a complete
    // archive that cannot be read (removed, so the next click downloads it afresh), a package
    // without information file, and the refusals of the install. Stopped with the download
    // component's error text: the download failed (the partial archive stays for the resume).
    // Stopped without a message: the download was paused, or the flow is already running (a
    // second click while the first one downloads or unpacks does nothing).
    // Completed: every package found was installed and "Downloading and Installing completed"
    // shown, with installedDetail. Errors other than the archive's (disk, aircraft.cfg) are thrown;
    // the progress panel is hidden first. With the server unreachable, an archive already in
    // tempzip is unpacked as it is (a partial one stays, and the download's error is shown).
    Outcome downloadAndInstall(const std::string& selectedArchiveUrl, const Simulator& sim,
                               DownloadFlowFeedback& feedback);
    // The same, reading the simulator choice when it is needed: at the start and again before
    // each package is installed, since the window stays usable during the download and the
    // user may change the choice meanwhile.
    using SimulatorChoice = std::function<Simulator()>;
    Outcome downloadAndInstall(const std::string& selectedArchiveUrl, const SimulatorChoice& sim,
                               DownloadFlowFeedback& feedback);

    // Archives already on disk (dropped on the window, or hangarix-cli install-archive), in the
    // order given: each is unpacked into templiv with the same checks as a downloaded one and
    // every package found in it is installed, through the unpack and install phases and with the
    // same refusals; the first refusal ends the run. Completed with "Installation completed" and
    // installedDetail; templiv is emptied then. The archives themselves are only read: an
    // archive that lies in templiv (which is emptied before each unpacking) is refused.
    Outcome installArchives(const std::vector<std::string>& archives, const SimulatorChoice& sim,
                            DownloadFlowFeedback& feedback);

    // True from the start of a run to its end; front ends disable their actions meanwhile.
    bool running() const { return running_; }

    // The component's progress event while the flow runs (unless its owner bound one): the
    // caption and the title with the percentage received.
    void reportProgress(TMHttpGetResume& sender);

    // Budgets of the unpacking (tests shorten them).
    void setZipLimits(const ZipLimits& limits) { zipLimits_ = limits; }

    std::string archivePath(const std::string& archiveName) const;
    std::string unpackFolder() const;

private:
    Outcome run(const std::string& selectedArchiveUrl, const SimulatorChoice& sim,
                DownloadFlowFeedback& feedback);
    // Runs `work` as the one run of the flow: a second run meanwhile stops at once; the progress
    // panel is hidden when an error escapes.
    template <typename Work> Outcome runOnce(DownloadFlowFeedback& feedback, Work&& work);
    Outcome unpack(const std::string& archive, const std::string& archiveName, bool knownComplete,
                   DownloadFlowFeedback& feedback);
    // Empties templiv and unpacks `archive` into it, the meter following; the reader's errors
    // are thrown.
    void extract(const std::string& archive, DownloadFlowFeedback& feedback);
    Outcome installArchive(const std::string& archive, const SimulatorChoice& sim,
                           DownloadFlowFeedback& feedback, std::vector<std::string>& installed);
    // The download did not complete: the component's error text, if it failed, then the panel
    // hidden.
    Outcome downloadFailed(DownloadFlowFeedback& feedback);
    // The archive and the side file of its resume.
    static void removeArchive(const std::string& archive);
    // `installed` receives what each installed package is: its title and product folder.
    Outcome installUnpacked(const std::string& archiveName, const SimulatorChoice& sim,
                            DownloadFlowFeedback& feedback, std::vector<std::string>& installed);

    TMHttpGetResume& httpget_;
    std::string startupFolder_;
    History* history_;
    ZipLimits zipLimits_;
    DownloadFlowFeedback* feedback_ = nullptr;
    bool running_ = false;
};

} // namespace hx
