#include "app/window/WindowSystem.h"

namespace hx::app {

void chooseWindowSystem()
{
    // Qt's defaults serve: fontconfig already picks stand-in faces by their weight.
}

} // namespace hx::app
