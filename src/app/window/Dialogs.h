#pragma once
// What the window asks of the desktop: modal message boxes, a web page in the default browser and
// the folder picker. The window is given one; tests and the screenshot mode give one that
// records or prints instead of blocking on a box.

#include <QMessageBox>
#include <QString>
#include <QUrl>

class QWidget;

namespace hx::app {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal box over `owner` with an OK button; `detail`, when not empty, is shown below the
    // text (which file, which package), so that the user can act on the message.
    virtual void messageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                            const QString& text, const QString& detail);
    // A modal question over `owner` with Yes and No buttons; true for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& caption, const QString& text);
    // Opens `url` in the default browser; a failure is not reported.
    virtual void openUrl(const QUrl& url);
    // Shows `title`, starts at `folder` and, when the user chooses one, writes it there (with the
    // system's separators) and returns true.
    virtual bool pickFolder(QWidget* owner, const QString& title, QString& folder);
};

} // namespace hx::app
