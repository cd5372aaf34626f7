#pragma once
// Runs a program with its stdout and stderr captured, for end-to-end tests.
#include <sys/types.h>

#include <string>
#include <vector>

namespace mivora::e2e {

class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts argv[0] with the arguments in `cwd` (empty: the current folder).
    bool Start(const std::vector<std::string>& argv, const std::string& cwd = "");
    // Reads output until stdout holds `lines` complete lines; false on timeout or end.
    bool WaitForStdoutLines(std::size_t lines, int timeoutMs);
    // Reads output until stderr contains `text`; false on timeout or end.
    bool WaitForStderr(const std::string& text, int timeoutMs);
    // Waits for the end, reading all output. False on timeout (the child is killed).
    bool Wait(int timeoutMs);
    void Signal(int signalNumber);
    // Stops reading the child's stdout, as a reader of a pipe that went away.
    void CloseStdout();

    bool Exited() const { return m_bExited; }
    // The exit status, or 128 + signal number when killed by a signal.
    int Status() const { return m_status; }
    const std::string& Out() const { return m_out; }
    const std::string& Err() const { return m_err; }
    std::vector<std::string> OutLines() const;

  private:
    // Reads what is available, waiting at most `timeoutMs`.
    void Pump(int timeoutMs);
    bool Reap(bool block);

    pid_t m_pid = -1;
    int m_outFd = -1;
    int m_errFd = -1;
    bool m_bExited = false;
    int m_status = -1;
    std::string m_out, m_err;
};

struct RunResult {
    int status = -1;
    std::string out, err;
};
// Runs to the end (killed after 30 s).
RunResult RunToEnd(const std::vector<std::string>& argv, const std::string& cwd = "");

}  // namespace mivora::e2e
