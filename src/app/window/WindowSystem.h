#pragma once
// The window system's options, chosen before the application object exists.
// WindowSystemWin.cpp and WindowSystemUnix.cpp hold what differs by system.

namespace hx::app {

// Sets the options of Qt's platform plugin that the window needs on this system, unless the
// user chose a plugin (QT_QPA_PLATFORM).
void chooseWindowSystem();

} // namespace hx::app
