#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace mivora::e2e {
namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (m_pid > 0 && !m_bExited) {
        ::kill(m_pid, SIGKILL);
        Reap(true);
    }
    if (m_outFd >= 0) ::close(m_outFd);
    if (m_errFd >= 0) ::close(m_errFd);
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::string& cwd) {
    int outPipe[2], errPipe[2];
    if (argv.empty() || ::pipe(outPipe) != 0) return false;
    if (::pipe(errPipe) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return false;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        // The test's pseudo-terminal masters and pipes must not leak into the child.
        for (int fd = 3; fd < 1024; ++fd) ::close(fd);
        if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) _exit(127);
        ::execv(args[0], args.data());
        _exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (m_pid < 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return false;
    }
    m_outFd = outPipe[0];
    m_errFd = errPipe[0];
    ::fcntl(m_outFd, F_SETFL, O_NONBLOCK);
    ::fcntl(m_errFd, F_SETFL, O_NONBLOCK);
    return true;
}

void ChildProcess::Pump(int timeoutMs) {
    pollfd fds[2];
    int n = 0;
    if (m_outFd >= 0) fds[n++] = {m_outFd, POLLIN, 0};
    if (m_errFd >= 0) fds[n++] = {m_errFd, POLLIN, 0};
    if (n == 0) {
        if (timeoutMs > 0) ::poll(nullptr, 0, timeoutMs < 50 ? timeoutMs : 50);
        return;
    }
    if (::poll(fds, static_cast<nfds_t>(n), timeoutMs) <= 0) return;
    for (int i = 0; i < n; ++i) {
        if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
        int& fd = fds[i].fd == m_outFd ? m_outFd : m_errFd;
        std::string& target = fds[i].fd == m_outFd ? m_out : m_err;
        char buf[4096];
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got > 0) {
            target.append(buf, static_cast<std::size_t>(got));
        } else if (got == 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

bool ChildProcess::Reap(bool block) {
    if (m_bExited || m_pid <= 0) return m_bExited;
    int status = 0;
    const pid_t r = ::waitpid(m_pid, &status, block ? 0 : WNOHANG);
    if (r == m_pid) {
        m_bExited = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return m_bExited;
}

bool ChildProcess::WaitForStdoutLines(std::size_t lines, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        std::size_t count = 0;
        for (char c : m_out) count += c == '\n' ? 1 : 0;
        if (count >= lines) return true;
        if (m_outFd < 0 || RemainingMs(deadline) == 0) return false;
        Pump(RemainingMs(deadline));
    }
}

bool ChildProcess::WaitForStderr(const std::string& text, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_err.find(text) == std::string::npos) {
        if (m_errFd < 0 || RemainingMs(deadline) == 0) return false;
        Pump(RemainingMs(deadline));
    }
    return true;
}

bool ChildProcess::Wait(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_outFd >= 0 || m_errFd >= 0 || !Reap(false)) {
        if (RemainingMs(deadline) == 0) {
            ::kill(m_pid, SIGKILL);
            Reap(true);
            return false;
        }
        Pump(RemainingMs(deadline) < 50 ? RemainingMs(deadline) : 50);
    }
    return true;
}

void ChildProcess::Signal(int signalNumber) {
    if (m_pid > 0 && !m_bExited) ::kill(m_pid, signalNumber);
}

void ChildProcess::CloseStdout() {
    if (m_outFd >= 0) ::close(m_outFd);
    m_outFd = -1;
}

std::vector<std::string> ChildProcess::OutLines() const {
    std::vector<std::string> lines;
    std::string line;
    for (char c : m_out) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

RunResult RunToEnd(const std::vector<std::string>& argv, const std::string& cwd) {
    ChildProcess child;
    RunResult result;
    if (!child.Start(argv, cwd)) return result;
    child.Wait(30000);
    result.status = child.Status();
    result.out = child.Out();
    result.err = child.Err();
    return result;
}

}  // namespace mivora::e2e
