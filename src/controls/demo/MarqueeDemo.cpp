// marquee-demo OUTDIR: renders the main window's marquee bar (576 x 49, light back, dark bar and
// border, flat border, fading to the left) in the classic and the themed look at a few
// positions, and writes each picture as a PNG file into OUTDIR. Runs without a display.

#include "controls/MarqueeBar.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: marquee-demo OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "marquee-demo: cannot create %s\n", argv[1]);
        return 1;
    }

    // The progress panel the bar sits on: dark background.
    QWidget panel;
    QPalette palette = panel.palette();
    palette.setColor(panel.backgroundRole(), hx::toQColor(9728318));
    panel.setPalette(palette);

    struct Look {
        const char* name;
        hx::MarqueeLook look;
    };
    const Look looks[] = {{"classic", hx::MarqueeLook::Classic},
                          {"themed", hx::MarqueeLook::Themed}};
    for (const Look& look : looks) {
        hx::TMarqueeBar bar(&panel);
        bar.setLook(look.look);
        bar.resize(576, 49);
        bar.setBackColor(15655890);
        bar.setBarColor(9728318);
        bar.setBorderColor(9728318);
        bar.setBorderStyle(hx::bsFlat);
        bar.setGradientStyle(hx::gsRightToLeft);
        bar.composeFrame();
        const int slotTotal = bar.slotCount();
        // One strip per position, 8 pixels of panel colour between them.
        const int positions[] = {
            0, 1, 4, 7, slotTotal / 2 + 4, slotTotal + 3, slotTotal + 6, slotTotal + 7};
        const int count = static_cast<int>(sizeof(positions) / sizeof(positions[0]));
        QImage sheet(bar.width() + 16, count * (bar.height() + 8) + 8, QImage::Format_RGB32);
        sheet.fill(hx::toQColor(9728318));
        QPainter painter(&sheet);
        for (int i = 0; i < count; ++i) {
            while (bar.position() != positions[i])
                bar.TimerTick();
            const QImage& frame = bar.composeFrame();
            painter.drawImage(8, 8 + i * (bar.height() + 8), frame);
            const QString file = out.filePath(QStringLiteral("marquee-%1-pos%2.png")
                                                  .arg(QLatin1String(look.name))
                                                  .arg(positions[i]));
            if (!frame.save(file)) {
                std::fprintf(stderr, "marquee-demo: cannot write %s\n", qPrintable(file));
                return 1;
            }
            if (positions[i] == 7) {
                // The left end four times enlarged, to see the corners and the shading.
                const QImage zoom = frame.copy(0, 0, 200, frame.height())
                                        .scaled(800, frame.height() * 4, Qt::IgnoreAspectRatio,
                                                Qt::FastTransformation);
                zoom.save(out.filePath(
                    QStringLiteral("marquee-%1-zoom.png").arg(QLatin1String(look.name))));
            }
        }
        painter.end();
        const QString file =
            out.filePath(QStringLiteral("marquee-%1-sheet.png").arg(QLatin1String(look.name)));
        if (!sheet.save(file)) {
            std::fprintf(stderr, "marquee-demo: cannot write %s\n", qPrintable(file));
            return 1;
        }
        std::printf("%s: blocks %d x %d, %d slots, width %d -> %s\n", look.name, bar.blockWidth(),
                    bar.blockHeight(), slotTotal, bar.width(), qPrintable(file));
    }
    return 0;
}
