#include "support/LocalClock.h"

#include <chrono>

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

QDateTime nowCoarse()
{
    if (source())
        return source()();
    using Clock = std::chrono::steady_clock;
    thread_local Clock::time_point lidoEm;
    thread_local QDateTime lido;
    const Clock::time_point agora = Clock::now();
    if (!lido.isValid() || agora - lidoEm >= std::chrono::seconds(5)) {
        lido = QDateTime::currentDateTime();
        lidoEm = agora;
    }
    return lido;
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
