#include "app/window/Dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>

namespace hx::app {

void Dialogs::messageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                         const QString& text, const QString& detail)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

bool Dialogs::askYesNo(QWidget* owner, const QString& caption, const QString& text)
{
    return QMessageBox::question(owner, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void Dialogs::openUrl(const QUrl& url)
{
    (void)QDesktopServices::openUrl(url); // the shell's result is not looked at
}

bool Dialogs::pickFolder(QWidget* owner, const QString& title, QString& folder)
{
    const QString picked = QFileDialog::getExistingDirectory(owner, title, folder);
    if (picked.isEmpty())
        return false;
    folder = QDir::toNativeSeparators(picked);
    return true;
}

} // namespace hx::app
