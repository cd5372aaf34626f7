#pragma once
// A pseudo-terminal pair standing in for a serial line: the simulator and the
// tests write meter bytes to the master, the program under test opens the slave.
// POSIX only.
#include <cstddef>
#include <cstdint>
#include <string>

namespace mivora {

class Pty {
  public:
    Pty() = default;
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // Opens the pair and sets the slave raw. The slave stays open here so the
    // master never sees a hang-up while the reader reopens the device.
    bool Open(std::string& error);
    void Close();
    bool IsOpen() const { return m_master >= 0; }
    int MasterFd() const { return m_master; }
    const std::string& SlavePath() const { return m_slavePath; }

    // Writes all bytes to the master (blocking).
    bool Write(const std::uint8_t* pBytes, std::size_t nCount, std::string& error);
    // Waits until what was written has been read from the slave, at most
    // `timeoutMs`; true when it drained.
    bool WaitDrained(int timeoutMs);

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

}  // namespace mivora
