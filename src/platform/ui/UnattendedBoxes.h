#pragma once
// Message boxes on a screen that nobody attends: each closes by itself, as
// if OK were pressed, after a set time, and its text goes to standard error
// so that the service's journal keeps it. Off (boxes wait for a person)
// until set.

#include <QString>
#include <functional>

class QMessageBox;

namespace platform::ui {

// Takes the title and the text of every box that closes by itself.
using BoxLog = std::function<void(const QString& title, const QString& text)>;

// 0 turns it off.
void setUnattendedBoxes(int closeAfterMs, BoxLog log);

// Called by every box just before it runs.
void prepareUnattended(QMessageBox& box, const QString& title, const QString& text);

// Ends the process with `exitCode` a little after a box of the fatal exit
// would have closed by itself, even should the window thread be stuck.
void armFatalBackstop(int exitCode);

} // namespace platform::ui
