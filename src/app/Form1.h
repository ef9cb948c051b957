#pragma once
// TForm1: the tool's one window. A borderless 700 x 500 window with a header that drags it,
// three tabs over three work panels (local packages, online catalogue, removal), the simulator
// panel that is always on show and the progress panel of a download. Every user action is one
// short handler that reads the controls, runs one procedure of the logic layer and shows what it
// reports.

#include "aircraftcfg/Installation.h"
#include "aircraftcfg/Removal.h"
#include "app/BitmapButton.h"
#include "app/PictureBox.h"
#include "app/SkinnedControls.h"
#include "online/Catalogue.h"
#include "online/DownloadFlow.h"
#include "online/MHttpGetResume.h"
#include "packages/Feedback.h"
#include "packages/LocalPackageList.h"
#include "packages/Simulator.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace hx {
class TMarqueeBar;
}

namespace hx::app {

// The application title at program start; after start-up it is kApplicationTitle, and the
// window's caption is kMainWindowCaption.
inline constexpr const char* kStartTitle = "Hangarix";

// The application title: the text of the task bar button, which shows the main window.
QString applicationTitle();
void setApplicationTitle(const QString& title);

class TForm1 : public QWidget, public DownloadFlowFeedback {
    Q_OBJECT
public:
    // How message boxes reach the user; tests replace it so that no box blocks them.
    using MessageHook =
        std::function<void(QMessageBox::Icon icon, const QString& caption, const QString& text)>;
    static void setMessageHook(MessageHook hook);
    // Opens a web page in the default browser; replaceable for the same reason.
    using UrlOpener = std::function<void(const QUrl& url)>;
    static void setUrlOpener(UrlOpener opener);
    // The folder picker of the browse button: shows `title`, starts at `folder` and, when the user
    // chooses one, writes it there and returns true.
    using FolderPicker = std::function<bool(const QString& title, QString& folder)>;
    static void setFolderPicker(FolderPicker picker);

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The catalogue server's base URL; the built-in one unless set before the catalogue opens.
    void setCatalogueBaseUrl(const std::string& url);
    const std::string& startupFolder() const { return startupFolder_; }
    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption) { caption_ = caption; }
    // The simulator as the list cb2 and the path box e1 say now.
    Simulator currentSimulator() const;
    const Catalogue* catalogue() const { return catalogue_.get(); }
    const LocalPackageList* localPackages() const { return packages_.get(); }

    // Puts a simulator into the list and the path box, as the user could (no handler runs).
    void chooseSimulator(SimKind kind, const std::string& root);

    // The progress panel as it looks in the middle of a download, for screenshots; the second
    // call puts the window back.
    void showProgressPreview();
    void stopProgressPreview();

    // Feedback
    void showMessage(const std::string& text) override;
    void hideProgressPanel() override;
    void processEvents() override;
    void listsChanged() override;
    // DownloadFlowFeedback
    void enterPhase(FlowPhase phase, const std::string& label8Text) override;
    void setUnpackMeter(int percent) override;
    void hideUnpackMeter() override;
    void setTitles(const std::string& caption, const std::string& applicationTitle) override;

    // The download component: labels, bar and message pump bound to this window.
    std::unique_ptr<TMHttpGetResume> httpget;
    // The download-and-install flow (created with the start-up folder on first use).
    DownloadFlow& downloadFlow();

    // The standard error box: the application title as caption, the error's message with a full
    // stop added by errorBoxText.
    void showErrorBox(const std::string& message);

    // Controls on the window.
    PictureBox* Image3;
    PictureBox* Image1;
    BitmapButton* BitBtn5;
    BitmapButton* BitBtn4;
    BitmapButton* BitBtn10;
    BitmapButton* BitBtn11;
    BitmapButton* BitBtn12;
    QWidget* p4;
    QWidget* p1;
    QWidget* p2;
    QWidget* p5;
    QWidget* p3;
    // p4: local packages
    QLabel* Label1;
    SkinnedComboBox* cb1;
    SkinnedCheckBox* sl1;
    QPlainTextEdit* m1;
    PictureBox* i2;
    BitmapButton* BitBtn3;
    // p1: removal
    QLabel* Label4;
    SkinnedComboBox* cb3;
    QLabel* Label5;
    SkinnedComboBox* cb4;
    BitmapButton* BitBtn6;
    // p2: online catalogue
    QLabel* Label6;
    SkinnedComboBox* cb5;
    QLabel* Label7;
    SkinnedComboBox* cb6;
    PictureBox* i3;
    BitmapButton* BitBtn8;
    // p5: simulator
    QLabel* Label2;
    SkinnedComboBox* cb2;
    QLabel* Label3;
    QLineEdit* e1;
    BitmapButton* BitBtn1;
    // p3: progress
    QLabel* Label8;
    QLabel* Label10;
    TMarqueeBar* mb1;
    QProgressBar* ProgressBar;
    Meter* AbMeter1;
    QLabel* Label14;
    QLabel* Label11;
    QLabel* Label15;
    QLabel* Label12;
    QLabel* Label16;
    QLabel* Label13;
    QLabel* Label17;
    QLabel* Label9;

public slots:
    void FormCreate();
    void BitBtn4Click();
    void BitBtn5Click();
    void Image1Click();
    void Image3MouseDown();
    void BitBtn10Click();
    void BitBtn11Click();
    void BitBtn12Click();
    void cb1Change();
    void BitBtn3Click();
    void cb2Change();
    void BitBtn1Click();
    void cb3Change();
    void BitBtn6Click();
    void cb5Change();
    void cb6Change();
    void BitBtn8Click();
    void httpgetMOnProgress();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildLocalPanel();
    void buildRemovalPanel();
    void buildCataloguePanel();
    void buildSimulatorPanel();
    void buildProgressPanel();
    void FormClose();
    // Runs a handler's body; an error that escapes it ends the handler in the standard error box.
    template <typename Body> void guarded(Body&& body);
    void fillLocalPackages();
    void showLocalPackage();
    void stopDownload();
    void setActionsEnabled(bool enabled);
    void bindDownloadComponent();
    void showRemovalLists();
    void showCatalogueLists();
    Catalogue& catalogueModel();
    // A message box with the application title as caption, or the test hook in its place.
    void messageBox(QMessageBox::Icon icon, const std::string& text);

    std::string startupFolder_;
    std::string catalogueBaseUrl_;
    QString caption_;
    std::unique_ptr<LocalPackageList> packages_;
    RemovalPanel removal_;
    std::unique_ptr<Catalogue> catalogue_;
    std::unique_ptr<TMProgressBar> progressLink_;
    std::unique_ptr<DownloadFlow> flow_;
};

// Writes the fallback picture "thumbnail.jpg" into `folder` when it is missing there; a failure
// is ignored like every failed folder creation of the start-up.
void writeFallbackPicture(const std::string& folder);

// Fills a list box from a model's items and selection; no change handler runs.
void showChoices(QComboBox* box, const std::vector<std::string>& items, int selected);

} // namespace hx::app
