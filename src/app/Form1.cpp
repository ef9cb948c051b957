#include "app/Form1.h"

#include "app/Artwork.h"
#include "app/Skin.h"
#include "controls/MarqueeBar.h"
#include "online/CatalogueUrl.h"
#include "packages/WorkingFolders.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/TextFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMouseEvent>
#include <QWindow>

#include <exception>

namespace hx::app {

namespace {

TForm1::MessageHook& messageHook()
{
    static TForm1::MessageHook hook;
    return hook;
}

TForm1::UrlOpener& urlOpener()
{
    static TForm1::UrlOpener opener;
    return opener;
}

TForm1::FolderPicker& folderPicker()
{
    static TForm1::FolderPicker picker;
    return picker;
}

TForm1* mainForm = nullptr;

QString fromBytes(const std::string& s)
{
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}
std::string toBytes(const QString& s)
{
    return s.toLocal8Bit().toStdString();
}

// Texts of the system join lines with CR LF; the text controls want plain line feeds.
QString displayText(const std::string& s)
{
    return fromBytes(s).replace("\r\n", "\n");
}

template <typename W> W* place(W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QWidget* makePanel(QWidget* parent, const char* name, int x, int y, int w, int h,
                   const QColor& background)
{
    auto* panel = place(new QWidget(parent), name, x, y, w, h);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, background);
    panel->setPalette(pal);
    return panel;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                  const QFont& font, const QColor& color)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    label->adjustSize();
    label->move(x, y);
    return label;
}

QLabel* panelLabel(QWidget* parent, const char* name, const char* text, int x, int y)
{
    return makeLabel(parent, name, QString::fromLatin1(text), x, y, bookmanFont(16, true),
                     darkColor());
}

BitmapButton* makeButton(QWidget* parent, const char* name, int x, int y, int w, int h,
                         const QImage& picture, int faces)
{
    auto* button = place(new BitmapButton(parent), name, x, y, w, h);
    button->setGlyph(picture, faces);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

SkinnedComboBox* makeCombo(QWidget* parent, const char* name, int x, int y, int w, int h,
                           int fontPixels)
{
    auto* box = place(new SkinnedComboBox(parent), name, x, y, w, h);
    box->setFont(bookmanFont(fontPixels, false));
    return box;
}

} // namespace

QString applicationTitle()
{
    return qApp ? qApp->property("hxApplicationTitle").toString() : QString();
}

void setApplicationTitle(const QString& title)
{
    if (!qApp)
        return;
    qApp->setProperty("hxApplicationTitle", title);
    // The task bar button shows the main window; its title is the application title, while
    // the window's own caption stays out of sight (there is no caption bar).
    if (mainForm)
        mainForm->setWindowTitle(title);
}

void TForm1::setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}
void TForm1::setUrlOpener(UrlOpener opener)
{
    urlOpener() = std::move(opener);
}
void TForm1::setFolderPicker(FolderPicker picker)
{
    folderPicker() = std::move(picker);
}

void showChoices(QComboBox* box, const std::vector<std::string>& items, int selected)
{
    QSignalBlocker block(box);
    box->clear();
    for (const std::string& item : items)
        box->addItem(fromBytes(item));
    box->setCurrentIndex(selected >= 0 && selected < box->count() ? selected : -1);
}

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      catalogueBaseUrl_(kDefaultCatalogueBaseUrl), caption_(QString::fromLatin1(kMainWindowCaption))
{
    mainForm = this;
    setObjectName("Form1");
    installFontSubstitutes();
    buildWindow();
    setWindowTitle(applicationTitle());
}

TForm1::~TForm1()
{
    if (mainForm == this)
        mainForm = nullptr;
}

void TForm1::buildWindow()
{
    setFixedSize(700, 500);
    move(192, 114);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, lightColor());
    setPalette(pal);
    setFont(sansFont());
    setWindowIcon(QIcon(QPixmap::fromImage(artwork::appIcon())));

    // Created bottom to top: the header, then p1, p2, p4, the corner and tab buttons, p5, p3.
    Image3 = place(new PictureBox(this), "Image3", 0, 0, 699, 121);
    Image3->setPicture(artwork::header());
    Image3->installEventFilter(this);
    Image1 = place(new PictureBox(this), "Image1", 62, 99, 239, 18);
    Image1->setPicture(artwork::makerName());
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Go to ") + QString::fromLatin1(kMakerWebSite));
    Image1->installEventFilter(this);

    p1 = makePanel(this, "p1", 29, 145, 639, 332, lightColor());
    p2 = makePanel(this, "p2", 29, 145, 639, 332, lightColor());
    p4 = makePanel(this, "p4", 29, 145, 639, 332, lightColor());
    buildRemovalPanel();
    buildCataloguePanel();
    buildLocalPanel();
    p1->hide();
    p2->hide();

    BitBtn5 =
        makeButton(this, "BitBtn5", 638, 1, 27, 26, artwork::cornerButton(artwork::Glyph::Help), 3);
    BitBtn4 = makeButton(this, "BitBtn4", 672, 1, 27, 26,
                         artwork::cornerButton(artwork::Glyph::Close), 3);
    BitBtn10 = makeButton(this, "BitBtn10", 176, 122, 161, 18,
                          artwork::tabButton("Add downloaded livery"), 1);
    BitBtn11 = makeButton(this, "BitBtn11", 344, 122, 161, 18,
                          artwork::tabButton("Search liveries online"), 1);
    BitBtn12 =
        makeButton(this, "BitBtn12", 512, 122, 161, 18, artwork::tabButton("Remove liveries"), 1);
    BitBtn5->setToolTip("Help");
    BitBtn4->setToolTip("Close");

    p5 = makePanel(this, "p5", 33, 338, 552, 57, lightColor());
    buildSimulatorPanel();
    p3 = makePanel(this, "p3", 46, 192, 579, 185, darkColor());
    buildProgressPanel();
    p3->hide();
    bindDownloadComponent();

    connect(BitBtn4, &QAbstractButton::clicked, this, &TForm1::BitBtn4Click);
    connect(BitBtn5, &QAbstractButton::clicked, this, &TForm1::BitBtn5Click);
    connect(BitBtn10, &QAbstractButton::clicked, this, &TForm1::BitBtn10Click);
    connect(BitBtn11, &QAbstractButton::clicked, this, &TForm1::BitBtn11Click);
    connect(BitBtn12, &QAbstractButton::clicked, this, &TForm1::BitBtn12Click);
    connect(BitBtn3, &QAbstractButton::clicked, this, &TForm1::BitBtn3Click);
    connect(BitBtn1, &QAbstractButton::clicked, this, &TForm1::BitBtn1Click);
    connect(BitBtn6, &QAbstractButton::clicked, this, &TForm1::BitBtn6Click);
    connect(BitBtn8, &QAbstractButton::clicked, this, &TForm1::BitBtn8Click);
    // `activated` comes from the user's choice only, as the change handlers require.
    connect(cb1, &QComboBox::activated, this, &TForm1::cb1Change);
    connect(cb2, &QComboBox::activated, this, &TForm1::cb2Change);
    connect(cb3, &QComboBox::activated, this, &TForm1::cb3Change);
    connect(cb5, &QComboBox::activated, this, &TForm1::cb5Change);
    connect(cb6, &QComboBox::activated, this, &TForm1::cb6Change);
}

void TForm1::buildLocalPanel()
{
    Label1 = panelLabel(p4, "Label1", "Select livery:", 8, 8);
    cb1 = makeCombo(p4, "cb1", 144, 8, 145, 25, 15);
    cb1->setTextColor(QColor(0, 0, 128)); // navy at design; the start-up step makes it dark
    sl1 = place(new SkinnedCheckBox("Select all liveries", p4), "sl1", 7, 41, 169, 25);
    sl1->setCursor(Qt::PointingHandCursor);
    sl1->setStyleSheet(checkBoxStyle());
    m1 = place(new QPlainTextEdit(p4), "m1", 8, 96, 345, 97);
    m1->setReadOnly(true);
    m1->setFrameShape(QFrame::NoFrame);
    m1->setFont(bookmanFont(16, true));
    m1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette pal = m1->palette();
    pal.setColor(QPalette::Base, lightColor());
    pal.setColor(QPalette::Text, darkColor());
    m1->setPalette(pal);
    m1->setPlainText("Information:");
    i2 = place(new PictureBox(p4), "i2", 382, 0, 256, 128);
    BitBtn3 = makeButton(p4, "BitBtn3", 456, 264, 145, 50, artwork::actionButton("INSTALL"), 3);
}

void TForm1::buildRemovalPanel()
{
    Label4 = panelLabel(p1, "Label4", "Product:", 64, 24);
    cb3 = makeCombo(p1, "cb3", 64, 64, 257, 25, 14);
    Label5 = panelLabel(p1, "Label5", "Livery:", 64, 120);
    cb4 = makeCombo(p1, "cb4", 64, 160, 257, 25, 14);
    BitBtn6 = makeButton(p1, "BitBtn6", 456, 264, 145, 50, artwork::actionButton("REMOVE"), 3);
}

void TForm1::buildCataloguePanel()
{
    Label6 = panelLabel(p2, "Label6", "Product:", 32, 24);
    cb5 = makeCombo(p2, "cb5", 32, 56, 273, 25, 14);
    Label7 = panelLabel(p2, "Label7", "Livery:", 32, 104);
    cb6 = makeCombo(p2, "cb6", 32, 136, 273, 25, 14);
    i3 = place(new PictureBox(p2), "i3", 381, 1, 256, 128);
    BitBtn8 = makeButton(p2, "BitBtn8", 456, 264, 145, 50, artwork::actionButton("LOAD"), 3);
}

void TForm1::buildSimulatorPanel()
{
    Label2 = panelLabel(p5, "Label2", "Select FS:", 8, 6);
    cb2 = makeCombo(p5, "cb2", 112, 3, 145, 25, 14);
    cb2->addItems({"None", "FS9", "FSX"});
    cb2->setCurrentIndex(0);
    Label3 = panelLabel(p5, "Label3", "Path", 8, 30);
    e1 = place(new QLineEdit(p5), "e1", 112, 29, 400, 25);
    e1->setFont(bookmanFont(15, false));
    e1->setStyleSheet(pathBoxStyle());
    BitBtn1 = makeButton(p5, "BitBtn1", 516, 25, 30, 29, artwork::browseButton(), 3);
    BitBtn1->setToolTip("Select FS folder");
}

void TForm1::buildProgressPanel()
{
    const QFont phase = bookmanFont(16, false);
    Label8 = makeLabel(p3, "Label8", QString(), 76, 6, phase, lightColor());
    Label8->setGeometry(76, 6, 435, 40);
    Label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label10 = makeLabel(p3, "Label10",
                        "This bar does not always reflect the real progress, please be patient", 80,
                        52, bookmanFont(12, false), lightColor());
    Label10->setGeometry(80, 52, 409, 16);

    mb1 = place(new TMarqueeBar(p3), "mb1", 0, 72, 576, 49);
    mb1->setAnimationSpeed(60);
    mb1->setBackColor(static_cast<TColor>(kLightColorRef));
    mb1->setBarColor(static_cast<TColor>(kDarkColorRef));
    mb1->setBorderColor(static_cast<TColor>(kDarkColorRef));
    mb1->setBorderStyle(bsFlat);
    mb1->setGradientStyle(gsRightToLeft);
    mb1->setActive(true);

    ProgressBar = place(new QProgressBar(p3), "ProgressBar", 1, 71, 577, 50);
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 100);
    ProgressBar->hide();
    AbMeter1 = place(new Meter(p3), "AbMeter1", 0, 72, 577, 49);
    AbMeter1->hide();

    Label14 = makeLabel(p3, "Label14", "Downloaded:", 16, 128, phase, lightColor());
    Label11 = makeLabel(p3, "Label11", QString(), 128, 128, phase, lightColor());
    Label15 = makeLabel(p3, "Label15", "Rest size:", 16, 152, phase, lightColor());
    Label12 = makeLabel(p3, "Label12", QString(), 128, 152, phase, lightColor());
    Label16 = makeLabel(p3, "Label16", "Total size:", 344, 128, phase, lightColor());
    Label13 = makeLabel(p3, "Label13", QString(), 432, 128, phase, lightColor());
    Label17 = makeLabel(p3, "Label17", "Rest time:", 344, 152, phase, lightColor());
    Label9 = makeLabel(p3, "Label9", QString(), 432, 152, phase, lightColor());
    // The values run up to the next caption on the left, to the panel's edge on the right.
    for (QLabel* value : {Label11, Label12})
        value->resize(Label16->x() - value->x() - 8, 20);
    for (QLabel* value : {Label13, Label9})
        value->resize(p3->width() - value->x() - 4, 20);
}

void TForm1::setCatalogueBaseUrl(const std::string& url)
{
    catalogueBaseUrl_ = url;
    catalogue_.reset();
}

Simulator TForm1::currentSimulator() const
{
    Simulator sim;
    const int index = cb2->currentIndex();
    sim.kind = index == 1 ? SimKind::FS9 : index == 2 ? SimKind::FSX : SimKind::None;
    sim.root = toBytes(e1->text());
    return sim;
}

void TForm1::chooseSimulator(SimKind kind, const std::string& root)
{
    cb2->setCurrentIndex(static_cast<int>(kind));
    e1->setText(fromBytes(root));
}

Catalogue& TForm1::catalogueModel()
{
    if (!catalogue_)
        catalogue_ = std::make_unique<Catalogue>(
            catalogueBaseUrl_, startupFolder_,
            [this](const std::string& path) { i3->loadFromFile(path); });
    return *catalogue_;
}

// --- Feedback ----------------------------------------------------------------------------------

void TForm1::messageBox(QMessageBox::Icon icon, const std::string& text)
{
    const QString caption = applicationTitle();
    if (messageHook()) {
        messageHook()(icon, caption, fromBytes(text));
        return;
    }
    QMessageBox box(icon, caption, fromBytes(text), QMessageBox::Ok, this);
    box.exec();
}

void TForm1::showMessage(const std::string& text)
{
    messageBox(QMessageBox::NoIcon, text);
}

void TForm1::showErrorBox(const std::string& message)
{
    messageBox(QMessageBox::Critical, errorBoxText(message));
}

void TForm1::hideProgressPanel()
{
    p3->hide();
}

void TForm1::processEvents()
{
    QCoreApplication::processEvents();
}

template <typename Body> void TForm1::guarded(Body&& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        showErrorBox(e.what());
    }
}

void writeFallbackPicture(const std::string& folder)
{
    const std::string path = platform::joinPath(folder, kFallbackPicture);
    if (platform::pathExists(path))
        return;
    const QByteArray jpeg = artwork::fallbackThumbnailJpeg();
    try {
        platform::writeTextAtomic(path, std::string_view(jpeg.constData(), size_t(jpeg.size())));
    } catch (const Error&) {
    }
}

// --- Start-up ----------------------------------------------------------------------------------

void TForm1::FormCreate()
{
    guarded([&] {
        // 1. The task bar names the maker's tool from now on.
        setApplicationTitle(QString::fromLatin1(kApplicationTitle));
        // 2. The download bar: dark on light.
        ProgressBar->setStyleSheet(
            QStringLiteral("QProgressBar { background: %1; border: 1px solid %1; }"
                           "QProgressBar::chunk { background: %2; margin: 2px; }")
                .arg(lightColor().name(), darkColor().name()));
        // 3. Dark text in every list.
        for (SkinnedComboBox* box : {cb1, cb2, cb3, cb4, cb5, cb6})
            box->setTextColor(darkColor());
        // 4. The start-up folder. The working folders and the fallback picture are put in place
        // here, so that every panel finds them whatever the registry holds.
        startupFolder_ = platform::currentFolder();
        createWorkingFolders(startupFolder_);
        writeFallbackPicture(startupFolder_);
        packages_ = std::make_unique<LocalPackageList>(
            startupFolder_, [this](const std::string& path) { i2->loadFromFile(path); });
        // 5. The simulator the registry proposes.
        const Simulator sim = startupLookup(*platform::openMachineRegistry());
        cb2->setCurrentIndex(static_cast<int>(sim.kind));
        e1->setText(fromBytes(sim.root));
        // 6. The local packages, the first one shown.
        fillLocalPackages();
    });
}

// --- Local packages ----------------------------------------------------------------------------

void TForm1::showLocalPackage()
{
    if (!packages_)
        return;
    showChoices(cb1, packages_->items(), packages_->selectedIndex());
    m1->setPlainText(displayText(packages_->memoText()));
}

void TForm1::fillLocalPackages()
{
    struct Sync {
        TForm1* form;
        ~Sync() { form->showLocalPackage(); }
    } sync{this};
    packages_->startupFill();
}

void TForm1::cb1Change()
{
    const int index = cb1->currentIndex();
    guarded([&] {
        if (packages_)
            packages_->choose(index);
    });
    showLocalPackage();
}

void TForm1::BitBtn3Click()
{
    guarded([&] {
        if (packages_)
            installPackages(*packages_, sl1->isChecked(), currentSimulator(), *this);
    });
}

// --- Download and install ------------------------------------------------------------------

namespace {

// The download component's progress bar is ProgressBar; byte positions are scaled to the
// widget's int range.
class ProgressBarLink : public TMProgressBar {
public:
    explicit ProgressBarLink(QProgressBar* bar) : bar_(bar) { bar_->setRange(0, kSteps); }
    void setMaximum(std::int64_t maximum) override
    {
        maximum_ = maximum;
        bar_->setValue(0);
    }
    void setPosition(std::int64_t position) override
    {
        bar_->setValue(maximum_ > 0 ? int(std::min(position, maximum_) * kSteps / maximum_) : 0);
    }

private:
    static constexpr int kSteps = 1000;
    QProgressBar* bar_;
    std::int64_t maximum_ = 0;
};

} // namespace

void TForm1::bindDownloadComponent()
{
    httpget = std::make_unique<TMHttpGetResume>();
    httpget->MPorta = 80;
    httpget->MPortaProxy = 3128;
    httpget->MAutoReconectar = false;
    httpget->MTempoAutoReconectar = 15;
    httpget->MVezesAutoReconectar = 5;
    progressLink_ = std::make_unique<ProgressBarLink>(ProgressBar);
    httpget->MProgressBar = progressLink_.get();
    const auto bind = [](QLabel* label) {
        return [label](const std::string& text) { label->setText(fromBytes(text)); };
    };
    httpget->MLblTotal = bind(Label13);
    httpget->MLblRecebido = bind(Label11);
    httpget->MLblRestante = bind(Label12);
    httpget->MLblTempoRestante = bind(Label9);
    httpget->MProcessMessages = [] { QCoreApplication::processEvents(); };
    // The flow keeps the owner's progress event bound while it runs and calls it after each
    // report.
    httpget->MOnProgress = [this](TMHttpGetResume&) { httpgetMOnProgress(); };
}

DownloadFlow& TForm1::downloadFlow()
{
    if (!flow_)
        flow_ = std::make_unique<DownloadFlow>(*httpget, startupFolder_);
    return *flow_;
}

void TForm1::setActionsEnabled(bool enabled)
{
    for (BitmapButton* b : {BitBtn3, BitBtn6, BitBtn8})
        b->setEnabled(enabled);
}

void TForm1::BitBtn8Click()
{
    if (flow_ && flow_->running())
        return; // a second press while the first one downloads or unpacks
    const std::string url = catalogue_ ? catalogue_->selectedArchiveUrl() : std::string();
    // The download hands window messages on, so the actions that would start it again,
    // install or remove stay disabled until it ends. The simulator list and the path box stay
    // usable; the flow reads them at the start and again before each package is installed.
    setActionsEnabled(false);
    guarded([&] {
        downloadFlow().BitBtn8Click(
            url, [this] { return currentSimulator(); }, *this);
    });
    setActionsEnabled(true);
}

void TForm1::httpgetMOnProgress()
{
    const std::int64_t received = httpget->MTotalRecebido();
    const std::int64_t total = httpget->MTamanhoArquivo();
    setTitles(downloadCaption(received, total), downloadApplicationTitle(received, total));
}

void TForm1::stopDownload()
{
    if (httpget)
        httpget->MBaixando = false;
}

void TForm1::enterPhase(FlowPhase phase, const std::string& label8Text)
{
    const std::initializer_list<QLabel*> figures = {Label9,  Label11, Label12, Label13,
                                                    Label14, Label15, Label16, Label17};
    Label8->setText(displayText(label8Text));
    switch (phase) {
    case FlowPhase::Download:
        mb1->hide();
        // A failed unpacking ends without hiding the meter; it lies over the download bar.
        AbMeter1->hide();
        p3->show();
        for (QLabel* l : figures)
            l->show();
        ProgressBar->show();
        break;
    case FlowPhase::Unpack:
        for (QLabel* l : figures)
            l->hide();
        ProgressBar->hide();
        AbMeter1->setProgress(0);
        AbMeter1->show();
        break;
    case FlowPhase::Install:
        mb1->show();
        break;
    }
}

void TForm1::setUnpackMeter(int percent)
{
    AbMeter1->setProgress(percent);
}

void TForm1::hideUnpackMeter()
{
    AbMeter1->hide();
}

void TForm1::setTitles(const std::string& caption, const std::string& title)
{
    setCaption(fromBytes(caption));
    setApplicationTitle(fromBytes(title));
}

void TForm1::showProgressPreview()
{
    // A download 42% of the way through a 10,250 KB archive, written through the component's
    // own bindings and number pictures so that the figures read exactly as during a download.
    constexpr std::int64_t total = 10'250 * 1024;
    constexpr std::int64_t received = total * 42 / 100;
    const NumberSeparators& seps = userNumberSeparators();
    enterPhase(FlowPhase::Download, kDownloadPhaseText);
    httpget->MProgressBar->setMaximum(total);
    httpget->MProgressBar->setPosition(received);
    httpget->MLblTotal(kilobytesText(total, seps));
    httpget->MLblRecebido(receivedLabelText(received, total, seps));
    httpget->MLblRestante(remainingLabelText(received, total, seps));
    httpget->MLblTempoRestante(timeLeftLabelText(65));
    setTitles(downloadCaption(received, total), downloadApplicationTitle(received, total));
}

void TForm1::stopProgressPreview()
{
    p3->hide();
    setTitles(kMainWindowCaption, kApplicationTitle);
}

// --- Navigation, closing, links, moving ---------------------------------------------------------

void TForm1::BitBtn10Click()
{
    p4->show();
    p1->hide();
    p2->hide();
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

namespace {
void openUrl(const QUrl& url)
{
    if (urlOpener())
        urlOpener()(url);
    else
        QDesktopServices::openUrl(url); // a failure is not reported
}
} // namespace

void TForm1::BitBtn5Click()
{
    openUrl(QUrl(QString::fromLatin1(kMakerWebSite) + QStringLiteral("/FAQ")));
}

void TForm1::Image1Click()
{
    openUrl(QUrl(QString::fromLatin1(kMakerWebSite)));
}

void TForm1::Image3MouseDown()
{
    // Any button moves the window; the window system follows the mouse until it is released.
    if (QWindow* window = windowHandle())
        window->startSystemMove();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image3 && event->type() == QEvent::MouseButtonPress) {
        Image3MouseDown();
        return true;
    }
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Image1->rect().contains(mouse->position().toPoint()))
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
        const Simulator sim =
            simulatorChosen(*platform::openMachineRegistry(), current.kind, current);
        e1->setText(fromBytes(sim.root));
        cb2->setCurrentIndex(static_cast<int>(sim.kind));
    });
}

void TForm1::BitBtn1Click()
{
    const std::string current = toBytes(e1->text());
#ifdef _WIN32
    const char* root = "c:\\";
#else
    const char* root = "/";
#endif
    QString folder =
        fromBytes(!current.empty() && platform::folderExists(current) ? current : root);
    const QString title = QStringLiteral("Select FS folder");
    bool chosen = false;
    if (folderPicker()) {
        chosen = folderPicker()(title, folder);
    } else {
        const QString picked = QFileDialog::getExistingDirectory(this, title, folder);
        chosen = !picked.isEmpty();
        if (chosen)
            folder = QDir::toNativeSeparators(picked);
    }
    if (chosen)
        e1->setText(folder);
}

// --- Removal -------------------------------------------------------------------------------------

void TForm1::showRemovalLists()
{
    showChoices(cb3, removal_.cb3().items, removal_.cb3().selected);
    showChoices(cb4, removal_.cb4().items, removal_.cb4().selected);
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
        if (open) {
            p2->hide();
            p4->hide();
            p1->show();
        }
    });
}

void TForm1::cb3Change()
{
    const int index = cb3->currentIndex();
    guarded([&] { removal_.productChosen(currentSimulator(), index, *this); });
    showRemovalLists();
}

void TForm1::BitBtn6Click()
{
    removal_.selectLivery(cb4->currentIndex());
    guarded([&] { removal_.removeSelectedLivery(currentSimulator(), *this); });
    showRemovalLists();
}

// --- Catalogue -----------------------------------------------------------------------------------

void TForm1::showCatalogueLists()
{
    if (!catalogue_)
        return;
    showChoices(cb5, catalogue_->cb5().items, catalogue_->cb5().selected);
    showChoices(cb6, catalogue_->cb6().items, catalogue_->cb6().selected);
}

void TForm1::BitBtn11Click()
{
    guarded([&] {
        // The boxes show what the catalogue holds even when a fetch fails half-way.
        struct Sync {
            TForm1* form;
            ~Sync() { form->showCatalogueLists(); }
        } sync{this};
        if (catalogueModel().BitBtn11Click()) {
            p1->hide();
            p4->hide();
            p2->show();
        }
    });
}

void TForm1::cb5Change()
{
    const int index = cb5->currentIndex();
    guarded([&] { catalogueModel().cb5Change(index); });
    showCatalogueLists();
}

void TForm1::cb6Change()
{
    const int index = cb6->currentIndex();
    guarded([&] { catalogueModel().cb6Change(index); });
    showCatalogueLists();
}

} // namespace hx::app
