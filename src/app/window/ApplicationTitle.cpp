#include "app/window/ApplicationTitle.h"

#include <QCoreApplication>
#include <QVariant>

namespace hx::app {

QString applicationTitle()
{
    return qApp ? qApp->property("hxApplicationTitle").toString() : QString();
}

void setApplicationTitle(const QString& title)
{
    if (qApp)
        qApp->setProperty("hxApplicationTitle", title);
}

} // namespace hx::app
