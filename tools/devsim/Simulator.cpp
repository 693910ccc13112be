#include "Simulator.h"

#include "Text.h"
#include "Vocabulary.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <termios.h>
#include <unistd.h>

namespace devsim {

namespace {

constexpr std::size_t kReadChunk = 65536;
constexpr std::size_t kRandomChunk = 4096;
// A line longer than this is not a command: hex of a few megabytes fits.
constexpr std::size_t kMaxLine = 64u << 20;
constexpr std::uint64_t kMaxDelayMs = 24ull * 3600 * 1000;

std::string Errno(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

} // namespace

bool ParsePortPlan(std::string_view text, PortPlan& portPlan, std::string& error) {
    const std::size_t eq = text.find('=');
    const auto number = ParsePortName(text.substr(0, eq));
    if (eq == std::string_view::npos || !number) {
        error = "bad port '" + std::string(text) + "' (want COMn=device|silent|missing|noterm)";
        return false;
    }
    const std::string_view kind = text.substr(eq + 1);
    portPlan.number = *number;
    if (kind == "device") {
        portPlan.kind = Kind::Device;
    } else if (kind == "silent") {
        portPlan.kind = Kind::Silent;
    } else if (kind == "missing") {
        portPlan.kind = Kind::Missing;
    } else if (kind == "noterm") {
        portPlan.kind = Kind::NoTerminal;
    } else {
        error = "bad kind '" + std::string(kind) + "' (want device, silent, missing or noterm)";
        return false;
    }
    return true;
}

struct Simulator::TxItem {
    std::vector<std::uint8_t> bytes;
    std::size_t offset = 0;
    // Bytes still to be drawn from the generator once bytes is used up.
    std::uint64_t randomLeft = 0;
    XorShift32 random{1};
};

struct Simulator::Port {
    int number = 0;
    std::string name;
    Kind kind = Kind::Device;
    int master = -1;
    // Never read: it only keeps the slave side open between the program's opens.
    int slave = -1;
    std::string slavePath;
    std::uint64_t answerDelayMs = 0;
    bool hold = false;
    bool lastWasC = false;
    std::vector<std::uint8_t> rx;
    Fnv1a64 rxSum;
    std::deque<TxItem> tx;

    ~Port() {
        CloseFd(master);
        CloseFd(slave);
    }
};

struct Simulator::Client {
    std::uint64_t id = 0;
    int fd = -1;
    std::string in;
    std::string out;
    bool eof = false;
    bool waiting = false;
    int waitPort = 0;
    std::uint64_t waitCount = 0;
    std::uint64_t waitSerial = 0;
};

Simulator::Simulator(Clock::time_point start) : start_(start) {}

Simulator::~Simulator() {
    for (auto& client : clients_)
        CloseFd(client->fd);
    CloseFd(listenFd_);
    CloseFd(timerFd_);
    CloseFd(logFd_);
}

bool Simulator::OpenPorts(const std::vector<PortPlan>& plans, std::string& error) {
    for (const PortPlan& portPlan : plans) {
        if (ports_.count(portPlan.number)) {
            error = PortName(portPlan.number) + " given twice";
            return false;
        }
        auto port = std::make_unique<Port>();
        port->number = portPlan.number;
        port->name = PortName(portPlan.number);
        port->kind = portPlan.kind;
        if (HasTerminal(portPlan.kind)) {
            port->master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            char path[128];
            if (port->master < 0 || grantpt(port->master) != 0 || unlockpt(port->master) != 0 ||
                ptsname_r(port->master, path, sizeof path) != 0) {
                error = Errno("pseudo-terminal");
                return false;
            }
            port->slavePath = path;
            port->slave = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            termios mode{};
            if (port->slave < 0 || tcgetattr(port->slave, &mode) != 0) {
                error = Errno(path);
                return false;
            }
            // Raw: the device's bytes pass unchanged, nothing is echoed back to it.
            cfmakeraw(&mode);
            mode.c_cflag |= CLOCAL | CREAD;
            cfsetspeed(&mode, B9600);
            if (tcsetattr(port->slave, TCSANOW, &mode) != 0) {
                error = Errno(path);
                return false;
            }
        }
        ports_[portPlan.number] = std::move(port);
    }
    return true;
}

std::vector<std::pair<int, std::string>> Simulator::Mapping() const {
    std::vector<std::pair<int, std::string>> mapping;
    for (const auto& [number, port] : ports_) {
        // A directory cannot be opened as a file at all, so Wine refuses the port at CreateFile,
        // as Windows does for a listed port whose device is gone. /dev/null opens, but as no
        // terminal: the serial calls on it (SetupComm, GetCommState) fail.
        const std::string path = port->kind == Kind::Missing      ? "/"
                                 : port->kind == Kind::NoTerminal ? "/dev/null"
                                                                  : port->slavePath;
        mapping.emplace_back(number, path);
    }
    return mapping;
}

bool Simulator::OpenLog(const std::string& path, std::string& error) {
    logFd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (logFd_ < 0) {
        error = Errno(path.c_str());
        return false;
    }
    WriteLog("# time in ms since the simulator started, port, rx (the device received the bytes)\n"
             "# or tx (the device sent them), the bytes in hex, what they mean\n");
    return true;
}

bool Simulator::Listen(int& port, std::string& error) {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listenFd_, 16) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = Errno("control socket");
        return false;
    }
    port = ntohs(address.sin_port);
    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ < 0) {
        error = Errno("timerfd");
        return false;
    }
    return true;
}

int Simulator::Run(int signalFd) {
    enum class Source { Signal, Timer, Listener, Client, Port };
    struct Watch {
        Source source;
        void* object;
    };
    std::vector<pollfd> fds;
    std::vector<Watch> watches;
    while (!quit_) {
        fds.clear();
        watches.clear();
        auto watch = [&](int fd, short events, Source source, void* object) {
            fds.push_back(pollfd{fd, events, 0});
            watches.push_back(Watch{source, object});
        };
        watch(signalFd, POLLIN, Source::Signal, nullptr);
        watch(timerFd_, POLLIN, Source::Timer, nullptr);
        watch(listenFd_, POLLIN, Source::Listener, nullptr);
        for (auto& client : clients_) {
            short events = client->eof ? 0 : POLLIN;
            if (!client->out.empty()) events |= POLLOUT;
            watch(client->fd, events, Source::Client, client.get());
        }
        for (auto& [number, port] : ports_) {
            if (port->master < 0) continue;
            short events = port->hold ? 0 : POLLIN;
            if (!port->tx.empty()) events |= POLLOUT;
            if (events) watch(port->master, events, Source::Port, port.get());
        }
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            std::perror("devsim: poll");
            return 1;
        }
        for (std::size_t i = 0; i < fds.size() && !quit_; ++i) {
            const short revents = fds[i].revents;
            if (!revents) continue;
            switch (watches[i].source) {
            case Source::Signal: {
                signalfd_siginfo info;
                if (read(signalFd, &info, sizeof info) > 0) quit_ = true;
                break;
            }
            case Source::Timer: {
                std::uint64_t expirations;
                if (read(timerFd_, &expirations, sizeof expirations) < 0 && errno != EAGAIN)
                    std::perror("devsim: timerfd");
                RunDueTimers();
                break;
            }
            case Source::Listener:
                Accept();
                break;
            case Source::Client: {
                auto& client = *static_cast<Client*>(watches[i].object);
                if (client.fd >= 0 && (revents & (POLLIN | POLLHUP | POLLERR))) ReadClient(client);
                if (client.fd >= 0 && (revents & POLLOUT)) WriteClient(client);
                break;
            }
            case Source::Port: {
                auto& port = *static_cast<Port*>(watches[i].object);
                if (revents & POLLOUT) FlushPort(port);
                if (!port.hold && (revents & POLLIN)) ReadPort(port);
                break;
            }
            }
        }
        std::erase_if(clients_, [](const auto& client) { return client->fd < 0; });
    }
    // The last replies (the "ok" to quit above all) still reach their readers.
    for (auto& client : clients_) {
        if (client->fd < 0 || client->out.empty()) continue;
        const int flags = fcntl(client->fd, F_GETFL);
        fcntl(client->fd, F_SETFL, flags & ~O_NONBLOCK);
        timeval limit{1, 0};
        setsockopt(client->fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        WriteClient(*client);
    }
    return 0;
}

void Simulator::Accept() {
    for (;;) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        auto client = std::make_unique<Client>();
        client->id = nextClientId_++;
        client->fd = fd;
        clients_.push_back(std::move(client));
    }
}

void Simulator::ReadClient(Client& client) {
    char buffer[65536];
    const ssize_t n = read(client.fd, buffer, sizeof buffer);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) return;
        CloseClient(client);
        return;
    }
    if (n == 0) {
        client.eof = true;
    } else {
        client.in.append(buffer, static_cast<std::size_t>(n));
    }
    ProcessLines(client);
    if (client.fd >= 0 && client.in.size() > kMaxLine) {
        Reply(client, "err line too long");
        client.in.clear();
        client.eof = true;
    }
    if (client.fd >= 0 && client.eof && !client.waiting && client.out.empty()) CloseClient(client);
}

void Simulator::WriteClient(Client& client) {
    while (!client.out.empty()) {
        const ssize_t n = send(client.fd, client.out.data(), client.out.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) return;
            CloseClient(client);
            return;
        }
        client.out.erase(0, static_cast<std::size_t>(n));
    }
    if (client.eof && !client.waiting) CloseClient(client);
}

void Simulator::CloseClient(Client& client) {
    CloseFd(client.fd);
    client.waiting = false;
}

void Simulator::ProcessLines(Client& client) {
    while (client.fd >= 0 && !client.waiting && !quit_) {
        const std::size_t end = client.in.find('\n');
        if (end == std::string::npos) break;
        const std::string line = client.in.substr(0, end);
        client.in.erase(0, end + 1);
        const auto words = SplitWords(line);
        if (!words.empty()) Execute(client, words);
    }
}

void Simulator::Reply(Client& client, const std::string& line) {
    if (client.fd < 0) return;
    const bool idle = client.out.empty();
    client.out += line;
    client.out += '\n';
    if (idle) WriteClient(client);
}

Simulator::Port* Simulator::FindPort(std::string_view name, Client& client, bool needPty) {
    const auto number = ParsePortName(name);
    const auto found = number ? ports_.find(*number) : ports_.end();
    if (found == ports_.end()) {
        Reply(client, "err no port " + std::string(name));
        return nullptr;
    }
    if (needPty && !HasTerminal(found->second->kind)) {
        Reply(client, "err " + found->second->name +
                          (found->second->kind == Kind::Missing ? " is a missing port"
                                                                : " is no terminal"));
        return nullptr;
    }
    return found->second.get();
}

void Simulator::Execute(Client& client, const std::vector<std::string_view>& words) {
    const std::string_view command = words[0];
    const std::size_t args = words.size() - 1;
    auto usage = [&](const char* text) { Reply(client, std::string("err usage: ") + text); };

    if (command == "quit") {
        Reply(client, "ok");
        quit_ = true;
        return;
    }
    if (command == "send") {
        if (args < 2 || args > 3) return usage("send COMx HEX [DELAY_MS]");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        auto bytes = FromHex(words[2]);
        const auto delay = args == 3 ? ParseUnsigned(words[3], kMaxDelayMs) : 0;
        if (!bytes || bytes->empty()) return Reply(client, "err bad hex");
        if (!delay) return Reply(client, "err bad delay");
        if (*delay == 0) {
            Enqueue(*port, std::move(*bytes));
        } else {
            const int number = port->number;
            Schedule(Clock::now() + std::chrono::milliseconds(*delay),
                     [this, number, data = std::move(*bytes)]() mutable {
                         Enqueue(*ports_.at(number), std::move(data));
                     });
        }
        return Reply(client, "ok");
    }
    if (command == "kind") {
        if (args != 2) return usage("kind COMx device|silent");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        if (words[2] == "device") {
            port->kind = Kind::Device;
        } else if (words[2] == "silent") {
            port->kind = Kind::Silent;
        } else {
            return Reply(client, "err bad kind");
        }
        return Reply(client, "ok");
    }
    if (command == "answer-delay") {
        if (args != 2) return usage("answer-delay COMx MS");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        const auto delay = ParseUnsigned(words[2], kMaxDelayMs);
        if (!delay) return Reply(client, "err bad delay");
        port->answerDelayMs = *delay;
        return Reply(client, "ok");
    }
    if (command == "rx") {
        if (args != 1) return usage("rx COMx");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        return Reply(client, port->rx.empty() ? "ok" : "ok " + ToHex(port->rx));
    }
    if (command == "wait") {
        if (args != 3) return usage("wait COMx N TIMEOUT_MS");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        const auto count = ParseUnsigned(words[2], UINT64_MAX);
        const auto timeout = ParseUnsigned(words[3], kMaxDelayMs);
        if (!count || !timeout) return Reply(client, "err bad number");
        if (port->rxSum.Count() >= *count)
            return Reply(client, "ok " + std::to_string(port->rxSum.Count()));
        client.waiting = true;
        client.waitPort = port->number;
        client.waitCount = *count;
        const std::uint64_t serial = ++client.waitSerial;
        const std::uint64_t id = client.id;
        Schedule(Clock::now() + std::chrono::milliseconds(*timeout), [this, id, serial] {
            for (auto& other : clients_) {
                if (other->id != id || !other->waiting || other->waitSerial != serial) continue;
                other->waiting = false;
                Reply(*other,
                      "err timeout " + std::to_string(ports_.at(other->waitPort)->rxSum.Count()));
                ProcessLines(*other);
            }
        });
        return;
    }
    if (command == "clear") {
        if (args != 1) return usage("clear COMx");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        port->rx.clear();
        port->rxSum.Reset();
        return Reply(client, "ok");
    }
    if (command == "hold") {
        if (args != 2 || (words[2] != "on" && words[2] != "off")) return usage("hold COMx on|off");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        port->hold = words[2] == "on";
        return Reply(client, "ok");
    }
    if (command == "sendrandom") {
        if (args != 3) return usage("sendrandom COMx N SALT");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        const auto count = ParseUnsigned(words[2], 1ull << 40);
        const auto salt = ParseUnsigned(words[3], UINT32_MAX);
        if (!count || !salt) return Reply(client, "err bad number");
        TxItem item;
        item.randomLeft = *count;
        item.random = XorShift32(static_cast<std::uint32_t>(*salt));
        port->tx.push_back(std::move(item));
        FlushPort(*port);
        return Reply(client, "ok");
    }
    if (command == "sendevents") {
        if ((args != 4 && args != 5) || (args == 5 && words[5] != "flow"))
            return usage("sendevents COMx N EVERY_MS SALT [flow]");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        const auto count = ParseUnsigned(words[2], 1000000);
        const auto every = ParseUnsigned(words[3], 60000);
        const auto salt = ParseUnsigned(words[4], UINT32_MAX);
        if (!count || !every || !salt || *every == 0) return Reply(client, "err bad number");
        SendEvents(port->number, *count, *every, XorShift32(static_cast<std::uint32_t>(*salt)),
                   args == 5, Clock::now());
        return Reply(client, "ok");
    }
    if (command == "rxsum") {
        if (args != 1) return usage("rxsum COMx");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        char hash[17];
        std::snprintf(hash, sizeof hash, "%016llX",
                      static_cast<unsigned long long>(port->rxSum.Hash()));
        return Reply(client, "ok " + std::to_string(port->rxSum.Count()) + " " + hash);
    }
    if (command == "path") {
        if (args != 1) return usage("path COMx");
        Port* port = FindPort(words[1], client, true);
        if (!port) return;
        return Reply(client, "ok " + port->slavePath);
    }
    Reply(client, "err unknown command " + std::string(command));
}

void Simulator::ReadPort(Port& port) {
    std::vector<std::uint8_t> buffer(kReadChunk);
    const ssize_t n = read(port.master, buffer.data(), buffer.size());
    if (n > 0) Received(port, buffer.data(), static_cast<std::size_t>(n));
}

void Simulator::Received(Port& port, const std::uint8_t* data, std::size_t count) {
    port.rx.insert(port.rx.end(), data, data + count);
    port.rxSum.Add(data, count);
    LogLine(port, "rx", data, count);
    std::size_t answers = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (port.lastWasC && data[i] == 'A') ++answers;
        port.lastWasC = data[i] == 'C';
    }
    if (port.kind == Kind::Device) {
        const int number = port.number;
        for (std::size_t i = 0; i < answers; ++i) {
            if (port.answerDelayMs == 0) {
                Enqueue(port, {'C', 'A'});
            } else {
                Schedule(Clock::now() + std::chrono::milliseconds(port.answerDelayMs),
                         [this, number] {
                             Enqueue(*ports_.at(number), {'C', 'A'});
                         });
            }
        }
    }
    CheckWaits(port);
}

void Simulator::CheckWaits(Port& port) {
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        Client& client = *clients_[i];
        if (!client.waiting || client.waitPort != port.number ||
            port.rxSum.Count() < client.waitCount)
            continue;
        client.waiting = false;
        Reply(client, "ok " + std::to_string(port.rxSum.Count()));
        ProcessLines(client);
    }
}

void Simulator::Enqueue(Port& port, std::vector<std::uint8_t> bytes) {
    TxItem item;
    item.bytes = std::move(bytes);
    port.tx.push_back(std::move(item));
    FlushPort(port);
}

void Simulator::FlushPort(Port& port) {
    while (!port.tx.empty()) {
        TxItem& item = port.tx.front();
        if (item.offset == item.bytes.size()) {
            if (item.randomLeft == 0) {
                port.tx.pop_front();
                continue;
            }
            const std::size_t next =
                static_cast<std::size_t>(std::min<std::uint64_t>(item.randomLeft, kRandomChunk));
            item.bytes.resize(next);
            item.random.Fill(item.bytes.data(), next);
            item.offset = 0;
            item.randomLeft -= next;
        }
        const ssize_t n =
            write(port.master, item.bytes.data() + item.offset, item.bytes.size() - item.offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN) {
                std::fprintf(stderr, "devsim: %s: write: %s\n", port.name.c_str(),
                             std::strerror(errno));
                port.tx.clear();
            }
            return;
        }
        LogLine(port, "tx", item.bytes.data() + item.offset, static_cast<std::size_t>(n));
        item.offset += static_cast<std::size_t>(n);
    }
}

// One event now and the rest at their times, each counted from the first so they keep their
// pace however late one of them ran.
void Simulator::SendEvents(int number, std::uint64_t left, std::uint64_t everyMs, XorShift32 random,
                           bool realFlow, Clock::time_point at) {
    if (left == 0) return;
    Enqueue(*ports_.at(number), NextEvent(random, realFlow));
    const auto next = at + std::chrono::milliseconds(everyMs);
    if (left > 1)
        Schedule(next, [this, number, left, everyMs, random, realFlow, next] {
            SendEvents(number, left - 1, everyMs, random, realFlow, next);
        });
}

void Simulator::Schedule(Clock::time_point when, std::function<void()> action) {
    timers_.emplace(when, std::move(action));
    ArmTimer();
}

void Simulator::ArmTimer() {
    itimerspec deadline{};
    if (!timers_.empty()) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            timers_.begin()->first.time_since_epoch())
                            .count();
        // Zero would disarm the timer; a deadline already past must still fire.
        const long long at = ns > 0 ? ns : 1;
        deadline.it_value.tv_sec = static_cast<time_t>(at / 1000000000);
        deadline.it_value.tv_nsec = static_cast<long>(at % 1000000000);
    }
    timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &deadline, nullptr);
}

void Simulator::RunDueTimers() {
    const auto now = Clock::now();
    while (!timers_.empty() && timers_.begin()->first <= now && !quit_) {
        auto action = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        action();
    }
    ArmTimer();
}

void Simulator::LogLine(const Port& port, const char* direction, const std::uint8_t* data,
                        std::size_t count) {
    if (logFd_ < 0) return;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    const std::string hex = ToHex(data, count);
    const std::string meaning = DescribeChunk(
        direction[0] == 'r' ? Direction::ToDevice : Direction::FromDevice, data, count);
    char head[64];
    std::snprintf(head, sizeof head, "%12.3f %-5s %s ", ms, port.name.c_str(), direction);
    std::string line = head + hex;
    // Commands and replies are short: their meanings line up in a column.
    if (!meaning.empty())
        line += std::string(hex.size() < 12 ? 12 - hex.size() : 0, ' ') + "  " + meaning;
    WriteLog(line + "\n");
}

void Simulator::WriteLog(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(logFd_, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

} // namespace devsim
