#include "platform/signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace unixsignals {

namespace {
int fds[2] = {-1, -1};

void handle(int)
{
    const char b = 1;
    [[maybe_unused]] ssize_t n = ::write(fds[0], &b, 1);
}
} // namespace

void onTermination(std::function<void()> handler)
{
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
