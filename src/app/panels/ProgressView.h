#pragma once
// The progress panel p3, dark, above everything: the phase text Label8, the download bar
// ProgressBar with its figures (Label9, Label11 to Label13 and their captions Label14 to Label17),
// the unpacking meter AbMeter1 and the marquee bar mb1 of the installing, each shown in its
// phase.

#include "online/DownloadFlow.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

class QLabel;
class QProgressBar;

namespace hx {
class TMarqueeBar;
class TMHttpGetResume;
class TMProgressBar;
} // namespace hx

namespace hx::app {

class Meter;

class ProgressView : public QWidget {
    Q_OBJECT
public:
    explicit ProgressView(QWidget* parent);
    ~ProgressView() override;

    // Binds the download component's progress bar and figure labels to this panel's.
    void bind(TMHttpGetResume& httpget);
    // The download bar drawn dark on light, as the start-up step sets it.
    void colourDownloadBar();

    // Download: the bar and its figures over the panel, shown. Unpack: the meter at 0 in their
    // place. Install: the marquee bar. Each sets the phase text.
    void enterPhase(FlowPhase phase);
    void setUnpackMeter(int percent);
    void hideUnpackMeter();

    // The panel in the middle of `phase`, for screenshots. A download 42% of the way through a
    // 10,250 KB archive, written through the component's own bindings and number pictures so
    // that the figures read exactly as during a download; an unpacking at 60%; an installation
    // with the marquee's train in the middle of the bar. Returns the download's received and
    // total bytes.
    std::pair<std::int64_t, std::int64_t> showPreview(FlowPhase phase, TMHttpGetResume& httpget);

private:
    void buildFigures();

    QLabel* Label8_;
    TMarqueeBar* mb1_;
    QProgressBar* ProgressBar_;
    Meter* AbMeter1_;
    // Label9, Label11, Label12, Label13: the values; Label14 to Label17: their captions.
    QLabel* Label9_ = nullptr;
    QLabel* Label11_ = nullptr;
    QLabel* Label12_ = nullptr;
    QLabel* Label13_ = nullptr;
    std::array<QLabel*, 8> figures_{};
    std::unique_ptr<TMProgressBar> barLink_;
};

} // namespace hx::app
