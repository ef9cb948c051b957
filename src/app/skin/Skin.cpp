#include "app/skin/Skin.h"

#include <QStringList>

namespace hx::app {

void installFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // URW Bookman (fonts-urw-base35) is metric-compatible with Bookman Old Style; Nimbus Sans and
    // Liberation Sans share the metrics of the Windows sans faces.
    QFont::insertSubstitutions(kBookman, {"URW Bookman", "URW Bookman L", "Bookman"});
    QFont::insertSubstitutions(kSansSerif, {"Microsoft Sans Serif", "Tahoma", "Nimbus Sans",
                                            "Liberation Sans", "Arial", "DejaVu Sans"});
}

QFont bookmanFont(int pixelSize, bool bold)
{
    installFontSubstitutes();
    QFont f(kBookman);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleHint(QFont::Serif);
    return f;
}

QFont sansFont(int pixelSize)
{
    installFontSubstitutes();
    QFont f(kSansSerif);
    f.setPixelSize(pixelSize);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

namespace {
QString rgb(const QColor& c)
{
    return c.name(QColor::HexRgb);
}
} // namespace

QString comboBoxStyle()
{
    // The drop-down list: light background, dark text, dark border, the chosen item inverted.
    return QStringLiteral("QListView { background: %1; color: %2; border: 1px solid %2;"
                          " outline: 0; }"
                          "QListView::item:selected { background: %2; color: %1; }")
        .arg(rgb(lightColor()), rgb(darkColor()));
}

QString pathBoxStyle()
{
    return QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid %2;"
                          " padding: 0 3px; selection-background-color: %2;"
                          " selection-color: %1; }")
        .arg(rgb(lightColor()), rgb(darkColor()));
}

QString filterBoxStyle()
{
    return pathBoxStyle() +
           QStringLiteral("QLineEdit:focus { border: 2px solid %1; padding: 0 2px; }")
               .arg(rgb(darkColor()));
}

QString checkBoxStyle()
{
    return QStringLiteral("QCheckBox { color: %1; spacing: 6px; }").arg(rgb(darkColor()));
}

} // namespace hx::app
