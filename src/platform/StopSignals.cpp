#include "platform/StopSignals.h"

#include <QSocketNotifier>
#include <QTimer>
#include <atomic>
#include <cerrno>
#include <csignal>

#ifdef __unix__
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mivora {
namespace {

#ifdef __unix__
int g_pipe[2] = {-1, -1};

void OnSignal(int signalNumber) {
    const int saved = errno;
    const char byte = static_cast<char>(signalNumber);
    // Only async-signal-safe calls here; a full pipe just loses a repeat.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}
#else
std::atomic<int> g_signal{0};

void OnSignal(int signalNumber) {
    g_signal.store(signalNumber);
}
#endif

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
#ifdef __unix__
    if (g_pipe[0] < 0 && ::pipe(g_pipe) == 0) {
        for (int fd : g_pipe) {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    if (g_pipe[0] >= 0) {
        m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::Poll);
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
        sigaction(SIGHUP, &sa, nullptr);  // the terminal went away
    }
    // A reader of our output that went away must not end a recording unsaved.
    std::signal(SIGPIPE, SIG_IGN);
#else
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &StopSignals::Poll);
    m_timer->start(100);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
#endif
}

StopSignals::~StopSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
#ifdef __unix__
    std::signal(SIGHUP, SIG_DFL);
#endif
}

void StopSignals::Poll() {
#ifdef __unix__
    char bytes[16];
    ssize_t n = 0;
    int last = 0;
    while ((n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        last = bytes[n - 1];
    }
    if (last != 0) {
        emit StopRequested(last);
    }
#else
    const int signalNumber = g_signal.exchange(0);
    if (signalNumber != 0) {
        emit StopRequested(signalNumber);
    }
#endif
}

}  // namespace mivora
