#include "platform/Pty.h"

#ifdef __unix__

#include <errno.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace mivora {

Pty::~Pty() {
    Close();
}

bool Pty::Open(std::string& error) {
    Close();
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        m_master = m_slave = -1;
        return false;
    }
    termios tio{};
    if (tcgetattr(m_slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B2400);
        cfsetospeed(&tio, B2400);
        tcsetattr(m_slave, TCSANOW, &tio);
    }
    m_slavePath = name;
    return true;
}

void Pty::Close() {
    if (m_master >= 0) {
        ::close(m_master);
    }
    if (m_slave >= 0) {
        ::close(m_slave);
    }
    m_master = m_slave = -1;
    m_slavePath.clear();
}

bool Pty::Write(const std::uint8_t* pBytes, std::size_t nCount, std::string& error) {
    if (m_master < 0) {
        error = "pseudo-terminal not open";
        return false;
    }
    while (nCount > 0) {
        const ssize_t n = ::write(m_master, pBytes, nCount);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = std::string("write to pseudo-terminal failed: ") + std::strerror(errno);
            return false;
        }
        pBytes += n;
        nCount -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Pty::WaitDrained(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // The kernel moves written bytes to the slave's input queue a little later,
    // so an empty queue counts only when seen twice, 50 ms apart.
    int emptySeen = 0;
    while (m_slave >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        int waiting = 0;
        if (ioctl(m_slave, FIONREAD, &waiting) != 0) {
            return true;
        }
        emptySeen = waiting == 0 ? emptySeen + 1 : 0;
        if (emptySeen >= 2) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
    }
    return true;
}

}  // namespace mivora

#endif  // __unix__
