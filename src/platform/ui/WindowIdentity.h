#pragma once
// Makes a top-level window findable by other processes under a window-class
// name and its caption, as long as the window exists.

#include <QString>

class QWidget;

namespace platform::ui {

// Publishes the class and the current caption through services().windows,
// publishes again whenever the caption changes, and withdraws the window when
// it is destroyed.
void registerTopLevelWindow(QWidget* window, const QString& className);

} // namespace platform::ui
