#pragma once
// The terminal the program runs in.

namespace hx::platform {

// Whether standard error is a terminal: progress lines are drawn there only then, so a script
// reading stderr gets the errors alone.
bool stderrIsTerminal();

} // namespace hx::platform
