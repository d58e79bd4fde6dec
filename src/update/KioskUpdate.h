#pragma once
// What the hand-over to the updater does in kiosk mode, where nobody can
// read a box and the service manager starts the program again after every
// end: a release that cannot be installed here leaves the display running
// and is reported once a day; an updater still at work is not started again.

#include <QDate>
#include <QString>

namespace KioskUpdate {

// True while a process of this program's user runs from the updater's file:
// as its executable, or as the script its interpreter runs.
bool updaterRunning(const QString& updater);

// Where the day of the last report is kept: the user's runtime folder, which
// outlives the program's restarts but not the session.
QString noticeRecordPath();

// Writes `text` as a journal line unless the record at `recordPath` says the
// same text was written on `today`; then records it. True when written.
bool tellOncePerDay(const QString& text, const QDate& today, const QString& recordPath);

// The journal text for a release that no updater here can install.
QString cannotInstallText(const QString& released, const QString& build, const QString& updater);

} // namespace KioskUpdate
