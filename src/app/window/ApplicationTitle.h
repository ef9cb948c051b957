#pragma once
// The application title: the text of the task bar button, which shows the main window. It is
// kStartTitle at program start; the window's start-up step sets the maker's title.

#include <QString>

namespace hx::app {

inline constexpr const char* kStartTitle = "Hangarix";

QString applicationTitle();
// Records the title; the main window shows it as its own title as well.
void setApplicationTitle(const QString& title);

} // namespace hx::app
