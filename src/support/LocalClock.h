#pragma once
// The one clock the program reads. It is the PC's local clock, moved by the
// difference to the database server's clock when the PC's clock could not be
// set from the server: the program then still runs on the server's date and
// time (the tickets of the day, the stored date of last access, the change
// of date, the inactivity limit, the clock on the screen). Tests put the PC's
// clock anywhere through a source of their own.

#include <QDate>
#include <QDateTime>
#include <functional>

namespace LocalClock {
QDateTime now();
// now() to within five seconds: the PC's time is read at most once in five
// seconds per thread and kept in between, for callers that ask very often
// (every message) and need minutes. A test source is read every time.
QDateTime nowCoarse();
QDate today();

// The PC's own clock, without the difference to the server.
QDateTime pcNow();
// The server's time minus the PC's, in whole seconds; 0 while the PC's clock
// follows the server (or before the first measurement).
qint64 serverOffsetSecs();
void setServerOffsetSecs(qint64 secs);

// Stands in for the PC's clock; an empty function restores the real one.
// Either way the difference to the server goes back to 0.
void setSourceForTesting(std::function<QDateTime()> source);
}
