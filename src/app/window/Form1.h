#pragma once
// TForm1: the tool's one window. A borderless 700 x 500 window with a header that drags it,
// three tabs over three work panels (local packages, online catalogue, removal), the simulator
// panel that is always on show and the progress panel of a download. The panels build and
// show themselves; the window wires them to its handlers. Every user action is one short handler
// that reads the panels, runs one procedure of the logic layer and shows what it reports.

#include "aircraftcfg/Removal.h"
#include "app/window/ApplicationTitle.h"
#include "app/window/Form1Layout.h"
#include "history/History.h"
#include "online/Catalogue.h"
#include "online/DownloadFlow.h"
#include "online/MHttpGetResume.h"
#include "packages/Feedback.h"
#include "packages/LocalPackageList.h"
#include "packages/Simulator.h"
#include "platform/Registry.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hx::app {

class Dialogs;

class TForm1 : public QWidget, public DownloadFlowFeedback {
    Q_OBJECT
public:
    // `dialogs` shows the message boxes, web pages and the folder picker; it outlives the window.
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
    ~TForm1() override;

    // The catalogue server's base URL; the built-in one unless set before the catalogue opens.
    void setCatalogueBaseUrl(const std::string& url);
    // Opens the registry that the simulator look-ups read, afresh at each; the machine's unless
    // set before FormCreate (tests give the window a registry of their own).
    using RegistryOpener = std::function<std::unique_ptr<platform::Registry>()>;
    void setRegistryOpener(RegistryOpener open) { openRegistry_ = std::move(open); }
    const std::string& startupFolder() const { return startupFolder_; }
    const QString& caption() const { return caption_; }
    // The simulator as the list cb2 and the path box e1 say now.
    Simulator currentSimulator() const;
    const Catalogue* catalogue() const { return catalogue_.get(); }
    const LocalPackageList* localPackages() const { return packages_.get(); }
    // The download component: labels, bar and message pump bound to this window.
    TMHttpGetResume& httpget() { return *httpget_; }

    // Puts a simulator into the list and the path box, as the user could (no handler runs).
    void chooseSimulator(SimKind kind, const std::string& root);

    // The progress panel as it looks in the middle of a phase, for screenshots; the second call
    // puts the window back.
    void showProgressPreview(FlowPhase phase = FlowPhase::Download);
    void stopProgressPreview();

    // Feedback
    void showMessage(const std::string& text) override;
    void showDetailedMessage(const std::string& text, const std::string& detail) override;
    void hideProgressPanel() override;
    void processEvents() override;
    void listsChanged() override;
    bool confirm(const std::string& question) override;
    // DownloadFlowFeedback
    void enterPhase(FlowPhase phase) override;
    void setUnpackMeter(int percent) override;
    void hideUnpackMeter() override;
    void setTitles(const std::string& caption, const std::string& applicationTitle) override;

public slots:
    void FormCreate();
    void BitBtn4Click();
    void BitBtn5Click();
    void Image1Click();
    void Image3MouseDown();
    void BitBtn10Click();
    void BitBtn11Click();
    void BitBtn12Click();
    void cb1Change(int index);
    void BitBtn3Click();
    void cb2Change();
    void BitBtn1Click();
    void cb3Change(int index);
    void cb4Change(int index);
    void BitBtn6Click();
    void cb5Change(int index);
    void cb6Change(int index);
    void BitBtn8Click();
    void httpgetMOnProgress();
    // Ctrl+Z: asks "Undo <action> of <livery> (<product>)?" for the newest change, undoes it and
    // refreshes the lists.
    void undoLastChange();
    // Archives dropped on the window: unpacked and installed as a downloaded archive is (other
    // kinds than ZIP are refused with their message).
    void installArchives(const std::vector<std::string>& files);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void wireHandlers();
    void bindDownloadComponent();
    void FormClose();
    // Runs a handler's body; an error that escapes it ends the handler in the standard error box.
    template <typename Body> void guarded(Body&& body);
    // The standard error box: the application title as caption, the error's message with a full
    // stop added by errorBoxText, and below it the file the error concerns when it is known.
    void showErrorBox(const std::string& message, const std::string& file);
    // A message box over the window with the application title as caption.
    void messageBox(QMessageBox::Icon icon, const std::string& text, const std::string& detail);
    void showApplicationTitle(const QString& title);
    void fillLocalPackages();
    void showLocalPackage();
    // Works out which local packages are installed in the chosen simulator and shows the list
    // with their marks; after start-up, every change and every simulator choice.
    void markInstalledPackages();
    void showRemovalLists();
    void showRemovalPicture();
    void showCatalogueLists();
    void stopDownload();
    Catalogue& catalogueModel();
    DownloadFlow& downloadFlow();

    Dialogs& dialogs_;
    std::string startupFolder_;
    std::string catalogueBaseUrl_;
    RegistryOpener openRegistry_ = platform::openMachineRegistry;
    QString caption_;
    Form1Layout ui_;
    // The logic behind them.
    std::unique_ptr<LocalPackageList> packages_;
    std::vector<std::string> installedMarks_; // for each local package: how it is installed
    RemovalPanel removal_;
    std::unique_ptr<Catalogue> catalogue_;
    std::unique_ptr<TMHttpGetResume> httpget_;
    std::unique_ptr<DownloadFlow> flow_;
    // The changes made to aircraft, in the start-up folder; installs and removals record into it.
    std::unique_ptr<History> history_;
    // What the changes had to say besides their messages (a wait for another process, a
    // recovered change, files kept): shown in one box once the handler ends.
    std::vector<std::string> notices_;
    void showNotices();
};

} // namespace hx::app
