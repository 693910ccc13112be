// The device simulator proper: one pseudo-terminal per simulated port (the device holds the
// master, and a slave descriptor so the far side never sees a hang-up between two opens), the
// device's answers, scheduled sends, and the control channel on a local TCP port. Everything
// runs in one poll() loop; timed actions go through one timerfd, so an idle simulator sleeps.
#pragma once

#include "DevsimStream.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace devsim {

enum class Kind { Device, Silent, Missing, NoTerminal };

// Only device and silent ports have a pseudo-terminal behind them.
inline bool HasTerminal(Kind kind) {
    return kind == Kind::Device || kind == Kind::Silent;
}

struct PortPlan {
    int number = 0;
    Kind kind = Kind::Device;
};

// "COM2=device" and the like.
bool ParsePortPlan(std::string_view text, PortPlan& portPlan, std::string& error);

using Clock = std::chrono::steady_clock;

class Simulator {
  public:
    explicit Simulator(Clock::time_point start);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool OpenPorts(const std::vector<PortPlan>& plans, std::string& error);
    // What each port's COM name must map to: the slave's path, a directory ("/") for a
    // missing port, which Wine then refuses to open, or /dev/null for a port that opens but is
    // no terminal.
    std::vector<std::pair<int, std::string>> Mapping() const;
    bool OpenLog(const std::string& path, std::string& error);
    // Listens on 127.0.0.1 at an ephemeral port; gives the port.
    bool Listen(int& port, std::string& error);
    // Serves until "quit" or a signal arrives on signalFd; gives the exit status.
    int Run(int signalFd);

  private:
    struct Port;
    struct Client;
    struct TxItem;

    void Accept();
    void ReadClient(Client& client);
    void WriteClient(Client& client);
    void ProcessLines(Client& client);
    void Reply(Client& client, const std::string& line);
    void Execute(Client& client, const std::vector<std::string_view>& words);
    void ReadPort(Port& port);
    void FlushPort(Port& port);
    void Received(Port& port, const std::uint8_t* data, std::size_t count);
    void Enqueue(Port& port, std::vector<std::uint8_t> bytes);
    void SendEvents(int number, std::uint64_t left, std::uint64_t everyMs, XorShift32 random,
                    bool realFlow, Clock::time_point at);
    void CheckWaits(Port& port);
    void Schedule(Clock::time_point when, std::function<void()> action);
    void ArmTimer();
    void RunDueTimers();
    void LogLine(const Port& port, const char* direction, const std::uint8_t* data,
                 std::size_t count);
    void WriteLog(const std::string& text);
    Port* FindPort(std::string_view name, Client& client, bool needPty);
    void CloseClient(Client& client);

    Clock::time_point start_;
    std::map<int, std::unique_ptr<Port>> ports_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::multimap<Clock::time_point, std::function<void()>> timers_;
    int listenFd_ = -1;
    int timerFd_ = -1;
    int logFd_ = -1;
    std::uint64_t nextClientId_ = 1;
    bool quit_ = false;
};

} // namespace devsim
