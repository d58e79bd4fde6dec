#pragma once
// The local date and time as the program reads it. Tests replace the source
// to run date changes and inactivity limits without touching the machine's clock.

#include <QDate>
#include <QDateTime>
#include <functional>

namespace LocalClock {
QDateTime now();
QDate today();
// An empty function restores the real clock.
void setSourceForTesting(std::function<QDateTime()> source);
}
