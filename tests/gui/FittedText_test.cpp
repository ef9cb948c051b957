// Fixed texts in the fallback face: when neither "Bookman Old Style" nor its URW twin is there,
// fontconfig's serif face (DejaVu Serif, wider) stands in. This executable makes that face the
// stand-in before any font is matched, so the whole window is built in it.

#include "app/skin/FittedText.h"
#include "app/skin/Skin.h"
#include "app/skin/SkinnedControls.h"
#include "app/window/Dialogs.h"
#include "app/window/Form1.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>

#include <gtest/gtest.h>

namespace {

using hx::app::fittedFont;
using hx::app::textsFit;

QString lines(const char* text)
{
    return QString::fromLatin1(text).replace("\r\n", "\n");
}

TEST(FittedText, StepsTheSizeDownOnlyUntilEveryTextFits)
{
    const QFont face = hx::app::bookmanFont(16, false);
    const QString wide = lines(hx::kDownloadPhaseText);
    const struct {
        QStringList texts;
        QSize box;
        int expectedAtMost, expectedAtLeast;
    } table[] = {
        {{"Path"}, {100, 20}, 16, 16},           // fits: the design size stays
        {{wide}, {435, 40}, 15, 10},             // two lines stepped down
        {{"Path", wide}, {435, 40}, 15, 10},     // the widest text decides
        {{wide}, {40, 10}, 7, 7},                // never below the floor
        {{"Select livery:"}, {132, 20}, 16, 12}, // a caption beside its list
    };
    for (const auto& row : table) {
        const QFont fitted = fittedFont(face, row.texts, row.box);
        EXPECT_LE(fitted.pixelSize(), row.expectedAtMost) << row.texts.join("|").toStdString();
        EXPECT_GE(fitted.pixelSize(), row.expectedAtLeast) << row.texts.join("|").toStdString();
        if (fitted.pixelSize() > 7) {
            EXPECT_TRUE(textsFit(fitted, row.texts, row.box));
            QFont larger = fitted;
            larger.setPixelSize(fitted.pixelSize() + 1);
            EXPECT_TRUE(fitted.pixelSize() == 16 || !textsFit(larger, row.texts, row.box));
        }
    }
}

TEST(FittedText, NoFixedTextOfTheWindowIsLargerThanItsBox)
{
    hx::app::Dialogs dialogs;
    hx::app::TForm1 form(dialogs);
    auto* label8 = form.findChild<QLabel*>("Label8");
    ASSERT_NE(label8, nullptr);
    ASSERT_EQ(QFontInfo(label8->font()).family().toStdString(), "DejaVu Serif");
    // At the layout's size this face would clip the longest phase text.
    EXPECT_FALSE(
        textsFit(hx::app::bookmanFont(16, false), {lines(hx::kDownloadPhaseText)}, label8->size()));

    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7",
                             "Label10", "Label14", "Label15", "Label16", "Label17"}) {
        auto* label = form.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(textsFit(label->font(), {label->text()}, label->contentsRect().size())) << name;
    }
    for (const char* text : {hx::kDownloadPhaseText, hx::kUnpackPhaseText, hx::kInstallPhaseText})
        EXPECT_TRUE(textsFit(label8->font(), {lines(text)}, label8->contentsRect().size())) << text;
    auto* sl1 = form.findChild<QCheckBox*>("sl1");
    ASSERT_NE(sl1, nullptr);
    EXPECT_TRUE(textsFit(sl1->font(), {sl1->text()},
                         sl1->size() - QSize(hx::app::SkinnedCheckBox::kBoxAndGap, 0)));
    EXPECT_GE(label8->font().pixelSize(), 12); // smaller, not tiny
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The stand-ins registered, then replaced by the face of a system without them.
    hx::app::installFontSubstitutes();
    QFont::removeSubstitutions(hx::app::kBookman);
    QFont::insertSubstitution(hx::app::kBookman, "DejaVu Serif");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
