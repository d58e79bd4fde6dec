#include "support/LocalClock.h"

namespace {
std::function<QDateTime()>& source()
{
    static std::function<QDateTime()> s;
    return s;
}
}

namespace LocalClock {

QDateTime now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

QDate today()
{
    return now().date();
}

void setSourceForTesting(std::function<QDateTime()> s)
{
    source() = std::move(s);
}

} // namespace LocalClock
