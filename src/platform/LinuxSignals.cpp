#include "platform/LinuxSignals.h"

#include "platform/Platform.h"

#include <QSocketNotifier>

#include <chrono>
#include <csignal>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

int signalPipe[2] = {-1, -1}; // to the event loop
int backstopPipe[2] = {-1, -1}; // to the thread that ends a process the loop did not end
volatile sig_atomic_t signalReceived = 0;

extern "C" void onTerminationSignal(int signal)
{
    signalReceived = 1;
    const char byte = char(signal);
    // Only async-signal-safe work here; the loop does the rest.
    [[maybe_unused]] const ssize_t toLoop = ::write(signalPipe[0], &byte, 1);
    [[maybe_unused]] const ssize_t toBackstop = ::write(backstopPipe[0], &byte, 1);
}

void backstop(int graceMs)
{
    char signal = 0;
    while (::read(backstopPipe[1], &signal, 1) < 0) {}
    std::this_thread::sleep_for(std::chrono::milliseconds(graceMs));
    endProcessNow(0);
}

} // namespace

void watchTerminationSignals(std::function<void()> onSignal, int graceMs)
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0
        || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, backstopPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [onSignal = std::move(onSignal)] {
        char byte;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
        onSignal();
    });
    std::thread(backstop, graceMs).detach();
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

bool terminationSignalReceived()
{
    return signalReceived != 0;
}

} // namespace platform
