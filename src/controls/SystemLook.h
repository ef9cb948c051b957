#pragma once
// What the controls ask of the system they run on: its colours (systemColor, declared with the
// colour helpers in XGraphUtils.h) and whether visual styles apply. SystemLookWin.cpp asks
// Windows; SystemLookUnix.cpp answers from Qt's palette and style.

namespace hx {

// Whether the system's visual styles apply to this application right now.
bool visualStylesActive();

} // namespace hx
