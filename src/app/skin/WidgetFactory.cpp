#include "app/skin/WidgetFactory.h"

#include "app/skin/FittedText.h"
#include "app/skin/Skin.h"
#include "app/window/TextBytes.h"

#include <QSignalBlocker>

namespace hx::app {

void setUpPanel(QWidget* panel, const char* name, const QRect& geometry, const QColor& background)
{
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, background);
    panel->setPalette(pal);
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

QLabel* fixedLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                   const QFont& font, const QColor& color)
{
    QLabel* label = makeLabel(parent, name, text, geometry.x(), geometry.y(), font, color);
    if (geometry.height() <= 0)
        geometry.setHeight((font.pixelSize() * 5 + 3) / 4); // one line and its leading
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    fitLabel(label);
    return label;
}

QLabel* panelLabel(QWidget* parent, const char* name, const char* text, int x, int y, int width)
{
    return fixedLabel(parent, name, QString::fromLatin1(text), {x, y, width, 0},
                      bookmanFont(16, true), darkColor());
}

BitmapButton* makeButton(QWidget* parent, const char* name, const QRect& geometry,
                         const QImage& picture, int faces)
{
    auto* button = new BitmapButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setGlyph(picture, faces);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

SkinnedComboBox* makeCombo(QWidget* parent, const char* name, const QRect& geometry, int fontPixels)
{
    auto* box = new SkinnedComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setFont(bookmanFont(fontPixels, false));
    return box;
}

QLineEdit* makeFilterField(QWidget* parent, const char* name, const QRect& geometry,
                           const char* hint)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setGeometry(geometry);
    field->setFont(bookmanFont(14, false));
    field->setStyleSheet(filterBoxStyle());
    field->setPlaceholderText(QString::fromLatin1(hint));
    QPalette pal = field->palette();
    QColor hintColor = darkColor();
    hintColor.setAlpha(150);
    pal.setColor(QPalette::PlaceholderText, hintColor);
    field->setPalette(pal);
    return field;
}

void showChoices(QComboBox* box, const std::vector<std::string>& items, int selected)
{
    QSignalBlocker block(box);
    box->clear();
    for (const std::string& item : items)
        box->addItem(fromBytes(item));
    box->setCurrentIndex(selected >= 0 && selected < box->count() ? selected : -1);
}

} // namespace hx::app
