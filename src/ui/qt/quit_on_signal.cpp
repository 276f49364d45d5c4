#include "ui/qt/quit_on_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <csignal>

namespace vantile {

namespace {
int writeEnd = -1;

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(writeEnd, &byte, 1);
}
} // namespace

QuitOnSignal::QuitOnSignal() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    read_.reset(fds[0]);
    writeEnd = fds[1];
    notifier_ = std::make_unique<QSocketNotifier>(read_.get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

QuitOnSignal::~QuitOnSignal() {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        std::signal(signal, SIG_DFL);
    }
    if (writeEnd >= 0) {
        ::close(writeEnd);
        writeEnd = -1;
    }
}

} // namespace vantile
