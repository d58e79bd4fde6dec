#pragma once
// The local date and time as the program reads it. Tests replace the source
// to run date changes and inactivity limits without touching the machine's clock.

#include <QDate>
#include <QDateTime>
#include <functional>

namespace LocalClock {
QDateTime now();
// The local time to within five seconds: the system's time is read at most
// once in five seconds per thread and kept in between, for callers that ask
// very often (every message) and need minutes. A test source is read every
// time.
QDateTime nowCoarse();
QDate today();
// An empty function restores the real clock.
void setSourceForTesting(std::function<QDateTime()> source);
}
