#pragma once
// The download button of the catalogue panel: download the chosen livery's archive into
// tempzip (resuming a partial one), unpack it into templiv, install every package found there
// with the same procedure as the local install, then remove the archive and the unpacked files.
// The progress panel p3 shows the phase under way; the front end draws it from the calls of
// DownloadFlowFeedback.

#include "online/ZipExtractor.h"
#include "packages/Feedback.h"
#include "packages/Simulator.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hx {

class TMHttpGetResume;

// The phase texts of Label8 (two lines).
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

// The application title and the main window's caption when no download runs.
inline constexpr const char* kApplicationTitle = "KZQ HX";
inline constexpr const char* kMainWindowCaption = "Hangarix";

enum class FlowPhase { Download, Unpack, Install };

// What the flow asks of a front end besides messages.
class DownloadFlowFeedback : public Feedback {
public:
    // Download: hide mb1, show p3, set Label8 to `label8Text`, show the value labels Label9,
    //   Label11 to Label13, the caption labels Label14 to Label17 and ProgressBar.
    // Unpack: hide those labels and ProgressBar, set Label8, show AbMeter1.
    // Install: set Label8, show mb1.
    virtual void enterPhase(FlowPhase phase, const std::string& label8Text)
    {
        (void)phase;
        (void)label8Text;
    }
    // AbMeter1's position, 0..100, each time it changes during the unpacking; processEvents()
    // follows each call, as the meter lets the window handle its messages.
    virtual void setUnpackMeter(int percent) { (void)percent; }
    // The unpacking has ended: hide AbMeter1.
    virtual void hideUnpackMeter() {}
    // The main window's caption and the application title (the taskbar button's text).
    virtual void setTitles(const std::string& caption, const std::string& applicationTitle)
    {
        (void)caption;
        (void)applicationTitle;
    }
};

// httpgetMOnProgress's percentage: received / total × 100 rounded to a whole number, halves
// away from zero, followed by "%" ("##0%"). "0%" while the total is unknown.
std::string downloadPercentText(std::int64_t received, std::int64_t total);
// "KZQ Hangarix - 42%" and "KZQ HX - 42%".
std::string downloadCaption(std::int64_t received, std::int64_t total);
std::string downloadApplicationTitle(std::int64_t received, std::int64_t total);

// The detail of "Downloading and Installing completed": "Installed:" and one line per package,
// its title and product folder ("KZQ A320 Green (KZQ_A320)"); or, when the archive held no
// package, that nothing was installed.
std::string installedDetail(const std::vector<std::string>& installed);

class DownloadFlow {
public:
    // `httpget`: the download component, with labels, progress bar and message pump bound by
    // the front end; the flow binds its progress and completion events while it runs.
    // `startupFolder`: the folder holding tempzip and templiv.
    DownloadFlow(TMHttpGetResume& httpget, std::string startupFolder);
    DownloadFlow(const DownloadFlow&) = delete;
    DownloadFlow& operator=(const DownloadFlow&) = delete;

    // The click on BitBtn8 with the catalogue's selected archive URL and the simulator choice.
    //
    // Refused with a message: no simulator ("Please select FS"), an archive URL whose last
    // segment is not a plain file name, a hostile archive (removed from tempzip), a complete
    // archive that cannot be read (removed, so the next click downloads it afresh), a package
    // without information file, and the refusals of the install. Stopped with the download
    // component's error text: the download failed (the partial archive stays for the resume).
    // Stopped without a message: the download was paused, or the flow is already running (a
    // second click while the first one downloads or unpacks does nothing).
    // Completed: every package found was installed and "Downloading and Installing completed"
    // shown, with installedDetail. Errors other than the archive's (disk, aircraft.cfg) are thrown;
    // the progress panel is hidden first. With the server unreachable, an archive already in
    // tempzip is unpacked as it is (a partial one stays, and the download's error is shown).
    Outcome BitBtn8Click(const std::string& selectedArchiveUrl, const Simulator& sim,
                         DownloadFlowFeedback& feedback);
    // The same, reading the simulator choice when it is needed: at the start and again before
    // each package is installed, since the window stays usable during the download and the
    // user may change the choice meanwhile.
    using SimulatorChoice = std::function<Simulator()>;
    Outcome BitBtn8Click(const std::string& selectedArchiveUrl, const SimulatorChoice& sim,
                         DownloadFlowFeedback& feedback);

    // True from the start of a click to its end; front ends disable their actions meanwhile.
    bool running() const { return running_; }

    // The component's MOnProgress while the flow runs: the caption and the title with the
    // percentage received.
    void httpgetMOnProgress(TMHttpGetResume& sender);

    // Budgets of the unpacking (tests shorten them).
    void setZipLimits(const ZipLimits& limits) { zipLimits_ = limits; }

    std::string archivePath(const std::string& archiveName) const;
    std::string unpackFolder() const;

private:
    Outcome run(const std::string& selectedArchiveUrl, const SimulatorChoice& sim,
                DownloadFlowFeedback& feedback);
    Outcome unpack(const std::string& archive, const std::string& archiveName, bool knownComplete,
                   DownloadFlowFeedback& feedback);
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
    ZipLimits zipLimits_;
    DownloadFlowFeedback* feedback_ = nullptr;
    bool running_ = false;
};

} // namespace hx
