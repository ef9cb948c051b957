#include "app/window/WindowSystem.h"

#include <QByteArray>
#include <QtGlobal>

namespace hx::app {

void chooseWindowSystem()
{
    // Text through DirectWrite (Qt's default from 6.8 on), which picks a stand-in face by its
    // weight as Linux does; the GDI engine drew the bold labels in URW Bookman's Light face and
    // the plain texts in its Demi face.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=directwrite");
}

} // namespace hx::app
