#include "app/panels/ProgressView.h"

#include "app/skin/FittedText.h"
#include "app/skin/Skin.h"
#include "app/skin/SkinnedControls.h"
#include "app/skin/WidgetFactory.h"
#include "app/window/TextBytes.h"
#include "controls/MarqueeBar.h"
#include "online/MHttpGetResume.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

namespace hx::app {

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

ProgressView::ProgressView(QWidget* parent) : QWidget(parent)
{
    setUpPanel(this, "p3", {46, 192, 579, 185}, darkColor());
    Label8_ = fixedLabel(this, "Label8", QString(), {76, 6, 435, 40}, bookmanFont(16, false),
                         lightColor());
    Label8_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // One size for the three phase texts, so that the text keeps its size from phase to phase.
    fitLabel(Label8_, {displayText(kDownloadPhaseText), displayText(kUnpackPhaseText),
                       displayText(kInstallPhaseText)});
    fixedLabel(this, "Label10",
               "This bar does not always reflect the real progress, please be patient",
               {80, 52, 409, 16}, bookmanFont(12, false), lightColor());

    mb1_ = place(new TMarqueeBar(this), "mb1", 0, 72, 576, 49);
    mb1_->setAnimationSpeed(60);
    mb1_->setBackColor(static_cast<TColor>(kLightColorRef));
    mb1_->setBarColor(static_cast<TColor>(kDarkColorRef));
    mb1_->setBorderColor(static_cast<TColor>(kDarkColorRef));
    mb1_->setBorderStyle(bsFlat);
    mb1_->setGradientStyle(gsRightToLeft);
    mb1_->setActive(true);

    ProgressBar_ = place(new QProgressBar(this), "ProgressBar", 1, 71, 577, 50);
    ProgressBar_->setTextVisible(false);
    ProgressBar_->setRange(0, 100);
    ProgressBar_->hide();
    AbMeter1_ = place(new Meter(this), "AbMeter1", 0, 72, 577, 49);
    AbMeter1_->hide();
    buildFigures();
}

ProgressView::~ProgressView() = default;

void ProgressView::buildFigures()
{
    const QFont font = bookmanFont(16, false);
    // The captions run up to their values, 4 pixels before them.
    const auto caption = [&](const char* name, const char* text, int x, int y, int width) {
        return fixedLabel(this, name, QString::fromLatin1(text), {x, y, width, 0}, font,
                          lightColor());
    };
    const auto figure = [&](const char* name, int x, int y) {
        return makeLabel(this, name, QString(), x, y, font, lightColor());
    };
    QLabel* Label14 = caption("Label14", "Downloaded:", 16, 128, 108);
    Label11_ = figure("Label11", 128, 128);
    QLabel* Label15 = caption("Label15", "Rest size:", 16, 152, 108);
    Label12_ = figure("Label12", 128, 152);
    QLabel* Label16 = caption("Label16", "Total size:", 344, 128, 84);
    Label13_ = figure("Label13", 432, 128);
    QLabel* Label17 = caption("Label17", "Rest time:", 344, 152, 84);
    Label9_ = figure("Label9", 432, 152);
    // The values run up to the next caption on the left, to the panel's edge on the right.
    for (QLabel* value : {Label11_, Label12_})
        value->resize(Label16->x() - value->x() - 8, 20);
    for (QLabel* value : {Label13_, Label9_})
        value->resize(width() - value->x() - 4, 20);
    figures_ = {Label9_, Label11_, Label12_, Label13_, Label14, Label15, Label16, Label17};
}

void ProgressView::bind(TMHttpGetResume& httpget)
{
    barLink_ = std::make_unique<ProgressBarLink>(ProgressBar_);
    httpget.MProgressBar = barLink_.get();
    const auto bindLabel = [](QLabel* label) {
        return [label](const std::string& text) { label->setText(fromBytes(text)); };
    };
    httpget.MLblTotal = bindLabel(Label13_);
    httpget.MLblRecebido = bindLabel(Label11_);
    httpget.MLblRestante = bindLabel(Label12_);
    httpget.MLblTempoRestante = bindLabel(Label9_);
}

void ProgressView::colourDownloadBar()
{
    const QString style = QStringLiteral("QProgressBar { background: %1; border: 1px solid %1; }"
                                         "QProgressBar::chunk { background: %2; margin: 2px; }");
    ProgressBar_->setStyleSheet(style.arg(lightColor().name(), darkColor().name()));
}

void ProgressView::enterPhase(FlowPhase phase)
{
    Label8_->setText(displayText(phaseText(phase)));
    switch (phase) {
    case FlowPhase::Download:
        mb1_->hide();
        // A failed unpacking ends without hiding the meter; it lies over the download bar.
        AbMeter1_->hide();
        show();
        for (QLabel* l : figures_)
            l->show();
        ProgressBar_->show();
        break;
    case FlowPhase::Unpack:
        show(); // an archive installed from disk starts here
        for (QLabel* l : figures_)
            l->hide();
        ProgressBar_->hide();
        AbMeter1_->setProgress(0);
        AbMeter1_->show();
        break;
    case FlowPhase::Install:
        mb1_->show();
        break;
    }
}

void ProgressView::setUnpackMeter(int percent)
{
    AbMeter1_->setProgress(percent);
}

void ProgressView::hideUnpackMeter()
{
    AbMeter1_->hide();
}

std::pair<std::int64_t, std::int64_t> ProgressView::showPreview(FlowPhase phase,
                                                                TMHttpGetResume& httpget)
{
    constexpr std::int64_t total = 10'250 * 1024;
    constexpr std::int64_t received = total * 42 / 100;
    const NumberSeparators& seps = userNumberSeparators();
    enterPhase(FlowPhase::Download);
    httpget.MProgressBar->setMaximum(total);
    httpget.MProgressBar->setPosition(received);
    httpget.MLblTotal(kilobytesText(total, seps));
    httpget.MLblRecebido(receivedLabelText(received, total, seps));
    httpget.MLblRestante(remainingLabelText(received, total, seps));
    httpget.MLblTempoRestante(timeLeftLabelText(65));
    if (phase != FlowPhase::Download) {
        enterPhase(FlowPhase::Unpack);
        setUnpackMeter(60);
    }
    if (phase == FlowPhase::Install) {
        hideUnpackMeter();
        enterPhase(FlowPhase::Install);
        mb1_->composeFrame(); // the blocks and slots of the bar's own size
        while (mb1_->position() != mb1_->slotCount() / 2 + 4)
            mb1_->TimerTick();
    }
    return {received, total};
}

} // namespace hx::app
