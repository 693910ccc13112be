// Runs the devsim binary without Wine and talks to it the way tests under Wine do: the control
// channel on one side, the pseudo-terminal slaves (standing in for the COM ports) on the other.
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

class DevsimProcess {
  public:
    // Starts devsim --no-wine with these PORT=KIND arguments and waits until it is ready.
    explicit DevsimProcess(const std::vector<std::string>& ports);
    ~DevsimProcess();
    DevsimProcess(const DevsimProcess&) = delete;
    DevsimProcess& operator=(const DevsimProcess&) = delete;

    bool Ready() const { return controlPort_ > 0; }
    int ControlPort() const { return controlPort_; }
    pid_t Pid() const { return pid_; }
    const std::string& Dir() const { return dir_; }
    std::string ReadyPath() const { return dir_ + "/ready"; }
    std::string LogText() const;
    std::string Output() const;
    // Waits for the process to end; gives its exit status, or -1.
    int WaitExit(int timeoutMs);

  private:
    std::string dir_;
    pid_t pid_ = -1;
    int controlPort_ = 0;
};

class Control {
  public:
    explicit Control(int port);
    ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    std::string Command(const std::string& line);
    // Sends without waiting for the reply, which ReadReply() then fetches.
    void SendLine(const std::string& line);
    std::string ReadReply();

  private:
    int fd_ = -1;
    std::string pending_;
};

// The program's end of a simulated port: the pseudo-terminal slave.
class Terminal {
  public:
    explicit Terminal(const std::string& path);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;
    bool Open() const { return fd_ >= 0; }
    int Fd() const { return fd_; }
    void Write(const std::string& bytes);
    // Reads until count bytes have come or timeoutMs has passed with none.
    std::string Read(std::size_t count, int timeoutMs = 5000);

  private:
    int fd_ = -1;
};

std::string Hex(const std::string& bytes);
double MsSince(std::chrono::steady_clock::time_point start);
// Whether the process has ended within timeoutMs (for a process that is not our child).
bool EndsWithin(pid_t pid, int timeoutMs);
