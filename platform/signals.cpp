#include "platform/signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace unixsignals {

namespace {
int fds[2] = {-1, -1};
volatile sig_atomic_t received = 0;

void handle(int sig)
{
    if (received) {
        // Asked again: the first request is stuck somewhere. End now, as the signal would have.
        ::signal(sig, SIG_DFL);
        ::raise(sig);
        return;
    }
    received = 1;
    const char b = 1;
    [[maybe_unused]] ssize_t n = ::write(fds[0], &b, 1);
}
} // namespace

void onTermination(std::function<void()> handler)
{
    ::signal(SIGPIPE, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        return;
    auto *notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, handler] {
        notifier->setEnabled(false);
        char b;
        [[maybe_unused]] ssize_t n = ::read(fds[1], &b, 1);
        handler();
    });
    struct sigaction sa {};
    sa.sa_handler = handle;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &sa, nullptr);
}

} // namespace unixsignals
