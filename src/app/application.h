#pragma once
// The Qt application of the program: a plain one when headless, else one with windows, which
// needs a display.

#include <QCoreApplication>

#include <memory>

namespace vornix::app {

// With windows and no display that can be opened, the program says so in one line, names
// --headless, and ends with status 2 (Qt alone would abort with its own advice).
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, bool headless);

}  // namespace vornix::app
