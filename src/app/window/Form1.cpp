#include "app/window/Form1.h"

#include "aircraftcfg/Installation.h"
#include "app/panels/CatalogueView.h"
#include "app/panels/LocalPackagesView.h"
#include "app/panels/ProgressView.h"
#include "app/panels/RemovalView.h"
#include "app/panels/SimulatorView.h"
#include "app/skin/BitmapButton.h"
#include "app/skin/PictureBox.h"
#include "app/skin/Skin.h"
#include "app/skin/SkinnedControls.h"
#include "app/window/Dialogs.h"
#include "app/window/StartupFolder.h"
#include "app/window/TextBytes.h"
#include "archive/ArchiveFormat.h"
#include "history/ChangeLock.h"
#include "online/CatalogueUrl.h"
#include "packages/WorkingFolders.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "startup/Startup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <exception>

namespace hx::app {

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), dialogs_(dialogs),
      catalogueBaseUrl_(kDefaultCatalogueBaseUrl),
      caption_(QString::fromLatin1(kMainWindowCaption)), ui_(this)
{
    setObjectName("Form1");
    setWindowTitle(applicationTitle());
    setAcceptDrops(true); // livery archives dropped on the window are installed
    bindDownloadComponent();
    wireHandlers();
}

TForm1::~TForm1()
{
    if (history_)
        setChangeNotice(nullptr);
}

void TForm1::wireHandlers()
{
    connect(ui_.BitBtn4, &QAbstractButton::clicked, this, &TForm1::BitBtn4Click);
    connect(ui_.BitBtn5, &QAbstractButton::clicked, this, &TForm1::BitBtn5Click);
    connect(ui_.BitBtn10, &QAbstractButton::clicked, this, &TForm1::BitBtn10Click);
    connect(ui_.BitBtn11, &QAbstractButton::clicked, this, &TForm1::BitBtn11Click);
    connect(ui_.BitBtn12, &QAbstractButton::clicked, this, &TForm1::BitBtn12Click);
    connect(ui_.p4, &LocalPackagesView::packageChosen, this, &TForm1::cb1Change);
    connect(ui_.p4, &LocalPackagesView::installClicked, this, &TForm1::BitBtn3Click);
    connect(ui_.p5, &SimulatorView::simulatorChosen, this, &TForm1::cb2Change);
    connect(ui_.p5, &SimulatorView::browseClicked, this, &TForm1::BitBtn1Click);
    connect(ui_.p1, &RemovalView::productChosen, this, &TForm1::cb3Change);
    connect(ui_.p1, &RemovalView::liveryChosen, this, &TForm1::cb4Change);
    connect(ui_.p1, &RemovalView::removeClicked, this, &TForm1::BitBtn6Click);
    connect(ui_.p2, &CatalogueView::productChosen, this, &TForm1::cb5Change);
    connect(ui_.p2, &CatalogueView::liveryChosen, this, &TForm1::cb6Change);
    connect(ui_.p2, &CatalogueView::loadClicked, this, &TForm1::BitBtn8Click);
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    undo->setObjectName("UndoShortcut");
    connect(undo, &QShortcut::activated, this, &TForm1::undoLastChange);
}

void TForm1::bindDownloadComponent()
{
    httpget_ = std::make_unique<TMHttpGetResume>();
    httpget_->MPorta = 80;
    httpget_->MPortaProxy = 3128;
    httpget_->MAutoReconectar = false;
    httpget_->MTempoAutoReconectar = 15;
    httpget_->MVezesAutoReconectar = 5;
    ui_.p3->bind(*httpget_);
    httpget_->MProcessMessages = [] { QCoreApplication::processEvents(); };
    // The flow keeps the owner's progress event bound while it runs and calls it after each
    // report.
    httpget_->MOnProgress = [this](TMHttpGetResume&) { httpgetMOnProgress(); };
}

void TForm1::setCatalogueBaseUrl(const std::string& url)
{
    catalogueBaseUrl_ = url;
    catalogue_.reset();
}

Simulator TForm1::currentSimulator() const
{
    return ui_.p5->simulator();
}

void TForm1::chooseSimulator(SimKind kind, const std::string& root)
{
    ui_.p5->showSimulator(kind, root);
}

Catalogue& TForm1::catalogueModel()
{
    if (!catalogue_)
        catalogue_ = std::make_unique<Catalogue>(
            catalogueBaseUrl_, startupFolder_,
            [this](const std::string& path) { ui_.p2->loadPicture(path); });
    return *catalogue_;
}

DownloadFlow& TForm1::downloadFlow()
{
    if (!flow_)
        flow_ = std::make_unique<DownloadFlow>(*httpget_, startupFolder_, history_.get());
    return *flow_;
}

// --- Feedback ----------------------------------------------------------------------------------

void TForm1::messageBox(QMessageBox::Icon icon, const std::string& text, const std::string& detail)
{
    dialogs_.messageBox(this, icon, applicationTitle(), fromBytes(text), fromBytes(detail));
}

bool TForm1::confirm(const std::string& question)
{
    return dialogs_.askYesNo(this, applicationTitle(), fromBytes(question));
}

void TForm1::showMessage(const std::string& text)
{
    showDetailedMessage(text, {});
}

void TForm1::showDetailedMessage(const std::string& text, const std::string& detail)
{
    messageBox(QMessageBox::NoIcon, text, detail);
}

void TForm1::showErrorBox(const std::string& message, const std::string& file)
{
    messageBox(QMessageBox::Critical, errorBoxText(message), file.empty() ? file : "File: " + file);
}

void TForm1::hideProgressPanel()
{
    ui_.p3->hide();
}

void TForm1::processEvents()
{
    QCoreApplication::processEvents();
}

void TForm1::enterPhase(FlowPhase phase)
{
    ui_.p3->enterPhase(phase);
    // The phase shows before its work starts: the panel is drawn now.
    processEvents();
}

void TForm1::setUnpackMeter(int percent)
{
    ui_.p3->setUnpackMeter(percent);
}

void TForm1::hideUnpackMeter()
{
    ui_.p3->hideUnpackMeter();
}

void TForm1::setTitles(const std::string& caption, const std::string& title)
{
    caption_ = fromBytes(caption);
    showApplicationTitle(fromBytes(title));
}

void TForm1::showApplicationTitle(const QString& title)
{
    // The task bar button shows the main window; its title is the application title, while
    // the window's own caption stays out of sight (there is no caption bar).
    setApplicationTitle(title);
    setWindowTitle(title);
}

template <typename Body> void TForm1::guarded(Body&& body)
{
    try {
        body();
    } catch (const IoError& e) {
        showErrorBox(e.what(), e.path());
    } catch (const std::exception& e) {
        showErrorBox(e.what(), {});
    }
    showNotices();
}

void TForm1::showNotices()
{
    if (windowTitle() != applicationTitle())
        setWindowTitle(applicationTitle()); // a wait's word ends with the handler
    if (notices_.empty())
        return;
    std::string text;
    for (const std::string& line : notices_)
        text += (text.empty() ? "" : "\n") + line;
    notices_.clear();
    messageBox(QMessageBox::Information, text, {});
}

// --- Start-up ----------------------------------------------------------------------------------

void TForm1::FormCreate()
{
    guarded([&] {
        // 1. The task bar names the maker's tool from now on.
        showApplicationTitle(QString::fromLatin1(kApplicationTitle));
        // 2. The download bar: dark on light.
        ui_.p3->colourDownloadBar();
        // 3. Dark text in every list (cb1 to cb6).
        for (SkinnedComboBox* box : findChildren<SkinnedComboBox*>())
            box->setTextColor(darkColor());
        // 4. The start-up folder, its history and the simulator the registry proposes. A wait
        // for another process shows in the caption at once; everything else is told once the
        // handler ends.
        setChangeNotice([this](const std::string& line) {
            if (line.rfind("Another Hangarix is changing", 0) == 0) {
                setWindowTitle(fromBytes(line));
                QCoreApplication::processEvents();
                return;
            }
            notices_.push_back(line);
        });
        const auto registry = openRegistry_();
        Startup start = startUp(*registry);
        ui_.p5->offerSimulators(findSimulators(*registry).found);
        startupFolder_ = std::move(start.folder);
        history_ = std::move(start.history);
        // The working folders and the fallback picture are put in place here, so that every
        // panel finds them whatever the registry holds.
        prepareStartupFolder(startupFolder_);
        packages_ = std::make_unique<LocalPackageList>(
            startupFolder_, [this](const std::string& path) { ui_.p4->loadPicture(path); });
        // 5. The simulator: a registry error ends the start-up step in the error box.
        if (!start.lookupError.empty())
            throw RegistryError(start.lookupError);
        ui_.p5->showSimulator(start.sim.kind, start.sim.root);
        // 6. The local packages, the first one shown, those installed marked.
        fillLocalPackages();
        markInstalledPackages();
    });
}

// --- Local packages ----------------------------------------------------------------------------

void TForm1::showLocalPackage()
{
    if (!packages_)
        return;
    if (installedMarks_.size() != packages_->items().size())
        installedMarks_.assign(packages_->items().size(), std::string());
    ui_.p4->showPackages(packages_->items(), packages_->selectedIndex(), packages_->memoText(),
                         installedMarks_);
}

void TForm1::markInstalledPackages()
{
    if (!packages_)
        return;
    installedMarks_.clear();
    guarded([&] {
        for (const auto& entry : installedPackages(*packages_, currentSimulator()))
            installedMarks_.push_back(entry ? "Installed as [fltsim." + std::to_string(*entry) + "]"
                                            : std::string());
    });
    showLocalPackage();
}

void TForm1::fillLocalPackages()
{
    struct Sync {
        TForm1* form;
        ~Sync() { form->showLocalPackage(); }
    } sync{this};
    packages_->startupFill();
}

void TForm1::cb1Change(int index)
{
    guarded([&] {
        if (packages_)
            packages_->choose(index);
    });
    showLocalPackage();
}

void TForm1::BitBtn3Click()
{
    // The copy hands window messages on between files: the actions stay disabled meanwhile.
    ui_.setActionsEnabled(false);
    guarded([&] {
        if (packages_)
            installPackages(*packages_, ui_.p4->allLiveriesChosen(), currentSimulator(), *this,
                            history_.get());
    });
    ui_.setActionsEnabled(true);
    markInstalledPackages();
}

// --- Download and install ------------------------------------------------------------------

void TForm1::BitBtn8Click()
{
    if (flow_ && flow_->running())
        return; // a second press while the first one downloads or unpacks
    const std::string url = catalogue_ ? catalogue_->selectedArchiveUrl() : std::string();
    // The download hands window messages on, so the actions that would start it again,
    // install or remove stay disabled until it ends. The simulator list and the path box stay
    // usable; the flow reads them at the start and again before each package is installed.
    ui_.setActionsEnabled(false);
    guarded([&] {
        downloadFlow().downloadAndInstall(
            url, [this] { return currentSimulator(); }, *this);
    });
    ui_.setActionsEnabled(true);
    markInstalledPackages();
}

void TForm1::httpgetMOnProgress()
{
    showDownloadTitles(*this, httpget_->MTotalRecebido(), httpget_->MTamanhoArquivo());
}

void TForm1::stopDownload()
{
    if (httpget_)
        httpget_->MBaixando = false;
}

void TForm1::showProgressPreview(FlowPhase phase)
{
    const auto [received, total] = ui_.p3->showPreview(phase, *httpget_);
    if (phase == FlowPhase::Download)
        showDownloadTitles(*this, received, total);
}

void TForm1::stopProgressPreview()
{
    ui_.p3->hide();
    setTitles(kMainWindowCaption, kApplicationTitle);
}

// --- Navigation, closing, links, moving ---------------------------------------------------------

void TForm1::BitBtn10Click()
{
    ui_.showWorkPanel(ui_.p4);
}

void TForm1::BitBtn4Click()
{
    stopDownload();
    close();
}

void TForm1::FormClose()
{
    stopDownload();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TForm1::BitBtn5Click()
{
    dialogs_.openUrl(QUrl(QString::fromLatin1(kMakerWebSite) + QStringLiteral("/FAQ")));
}

void TForm1::Image1Click()
{
    dialogs_.openUrl(QUrl(QString::fromLatin1(kMakerWebSite)));
}

void TForm1::Image3MouseDown()
{
    // Any button moves the window; the window system follows the mouse until it is released.
    if (QWindow* window = windowHandle())
        window->startSystemMove();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_.Image3 && event->type() == QEvent::MouseButtonPress) {
        Image3MouseDown();
        return true;
    }
    if (watched == ui_.Image1 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            ui_.Image1->rect().contains(mouse->position().toPoint()))
            Image1Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- Simulator -----------------------------------------------------------------------------------

void TForm1::cb2Change()
{
    guarded([&] {
        // The registry is read afresh at every choice: a simulator installed while the window
        // is open is found as well.
        const Simulator current = currentSimulator();
        const Simulator sim = simulatorChosen(*openRegistry_(), current.kind, current);
        ui_.p5->showSimulator(sim.kind, sim.root);
    });
    markInstalledPackages();
}

void TForm1::BitBtn1Click()
{
    QString folder = ui_.p5->browseStart();
    if (!dialogs_.pickFolder(this, QStringLiteral("Select FS folder"), folder))
        return;
    ui_.p5->setPath(folder);
    markInstalledPackages();
    // The folder is taken as chosen; a folder without aircraft is most likely a wrong pick.
    if (const auto problem = notASimulatorFolder(toBytes(folder)))
        messageBox(QMessageBox::Warning, *problem, {});
}

// --- Removal -------------------------------------------------------------------------------------

void TForm1::showRemovalLists()
{
    ui_.p1->showProducts(removal_.products().items, removal_.products().selected);
    ui_.p1->showLiveries(removal_.liveries().items, removal_.liveries().selected);
    ui_.p1->showWarning(removal_.warning());
    showRemovalPicture();
}

// Runs inside removals (through listsChanged) as well: a picture that fails to load is told in
// the error box and never stops the handler.
void TForm1::showRemovalPicture()
{
    try {
        ui_.p1->showPicture(removal_.liveryPicturePath(
            currentSimulator(), platform::joinPath(startupFolder_, kFallbackPicture)));
    } catch (const IoError& e) {
        showErrorBox(e.what(), e.path());
    } catch (const std::exception& e) {
        showErrorBox(e.what(), {});
    }
}

// A removal refills the livery list before its message box: the box appears over the new list.
void TForm1::listsChanged()
{
    showRemovalLists();
}

void TForm1::BitBtn12Click()
{
    guarded([&] {
        const bool open = removal_.openPanel(currentSimulator(), *this);
        showRemovalLists();
        if (open)
            ui_.showWorkPanel(ui_.p1);
    });
}

void TForm1::cb3Change(int index)
{
    guarded([&] { removal_.productChosen(currentSimulator(), index, *this); });
    showRemovalLists();
}

void TForm1::cb4Change(int index)
{
    removal_.selectLivery(index);
    showRemovalLists();
}

void TForm1::BitBtn6Click()
{
    removal_.selectLivery(ui_.p1->chosenLivery());
    guarded([&] { removal_.removeSelectedLivery(currentSimulator(), *this, history_.get()); });
    showRemovalLists();
    markInstalledPackages();
}

// --- Archives dropped on the window ------------------------------------------------------------

namespace {

// The local archives among the dropped items, in the order given: files named .zip, and files
// whose first bytes are a ZIP, 7-Zip, RAR, tar or gzip archive whatever their names, so that
// a ZIP named .7z is installed and a 7-Zip archive named .zip is refused with its message.
std::vector<std::string> droppedArchives(const QMimeData* data)
{
    std::vector<std::string> files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const std::string file = toBytes(QDir::toNativeSeparators(path));
        if (path.endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive) ||
            readArchiveFormat(file) != ArchiveFormat::Unknown)
            files.push_back(file);
    }
    return files;
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedArchives(event->mimeData()).empty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> files = droppedArchives(event->mimeData());
    if (files.empty())
        return;
    event->acceptProposedAction();
    // After the drop has returned, so the program the files came from is not held by the
    // message boxes of the installation.
    QTimer::singleShot(0, this, [this, files] { installArchives(files); });
}

void TForm1::installArchives(const std::vector<std::string>& files)
{
    if (flow_ && flow_->running())
        return;
    ui_.setActionsEnabled(false);
    guarded([&] {
        downloadFlow().installArchives(
            files, [this] { return currentSimulator(); }, *this);
    });
    ui_.setActionsEnabled(true);
    markInstalledPackages();
}

// --- Undo --------------------------------------------------------------------------------------

void TForm1::undoLastChange()
{
    if (!history_ || (flow_ && flow_->running()))
        return;
    guarded([&] {
        const std::vector<ChangeRecord> records = history_->records();
        const auto newest = std::find_if(records.begin(), records.end(), [](const ChangeRecord& r) {
            return !r.hashAfter.empty();
        });
        if (newest == records.end()) {
            showMessage("The history holds no change to undo");
            return;
        }
        if (!dialogs_.askYesNo(this, applicationTitle(), fromBytes(undoQuestion(*newest))))
            return;
        const UndoResult result = history_->undo();
        // The lists show the aircraft as the undo left it, before its message.
        if (removal_.products().selected >= 0)
            removal_.listLiveries(currentSimulator(), *this);
        showRemovalLists();
        showMessage(result.message);
    });
    markInstalledPackages();
}

// --- Catalogue -----------------------------------------------------------------------------------

void TForm1::showCatalogueLists()
{
    if (!catalogue_)
        return;
    ui_.p2->showProducts(catalogue_->products().items, catalogue_->products().selected);
    ui_.p2->showLiveries(catalogue_->liveries().items, catalogue_->liveries().selected);
}

void TForm1::BitBtn11Click()
{
    guarded([&] {
        // The boxes show what the catalogue holds even when a fetch fails half-way.
        struct Sync {
            TForm1* form;
            ~Sync() { form->showCatalogueLists(); }
        } sync{this};
        if (catalogueModel().open())
            ui_.showWorkPanel(ui_.p2);
    });
}

void TForm1::cb5Change(int index)
{
    guarded([&] { catalogueModel().chooseProduct(index); });
    showCatalogueLists();
}

void TForm1::cb6Change(int index)
{
    guarded([&] { catalogueModel().chooseLivery(index); });
    showCatalogueLists();
}

} // namespace hx::app
