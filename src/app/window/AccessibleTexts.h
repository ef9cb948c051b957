#pragma once
// Names and descriptions for assistive technology: every control of the window says what it is
// and what it does, and each list is tied to the label in front of it.

class QWidget;

namespace hx::app {

// Sets the accessible name and description of the window's controls, found by their layout
// names below `form`, and makes each list's label its buddy.
void setAccessibleTexts(QWidget* form);

} // namespace hx::app
