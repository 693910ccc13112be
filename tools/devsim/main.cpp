// devsim: the telephone-line device and the serial ports of a test, for programs under Wine.
//
//   devsim --wine-dir DIR --ready FILE [--log FILE] PORT=KIND ...
//   devsim --no-wine --ready FILE [--log FILE] PORT=KIND ...   (pseudo-terminals only)
//   devsim --client PORT COMMAND ...                            (one reply line per command)
//
// KIND is device, silent, missing or noterm; README.md describes start-up, protocol and log.
#include "Simulator.h"
#include "Text.h"
#include "WineSetup.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: devsim --wine-dir DIR --ready FILE [--log FILE] COMn=device|silent|missing|noterm "
        "...\n"
        "       devsim --no-wine --ready FILE [--log FILE] COMn=KIND ...\n"
        "       devsim --client PORT COMMAND ...\n");
    return 2;
}

bool SendAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Sends each command and prints its reply; succeeds when every reply is "ok...".
int Client(const char* portText, const std::vector<std::string>& commands) {
    const auto port = devsim::ParseUnsigned(portText, 65535);
    if (!port || *port == 0) return Usage();
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(*port));
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "devsim: cannot reach 127.0.0.1:%s: %s\n", portText,
                     std::strerror(errno));
        if (fd >= 0) close(fd);
        return 1;
    }
    int status = 0;
    std::string pending;
    for (const std::string& command : commands) {
        if (!SendAll(fd, command + "\n")) {
            status = 1;
            break;
        }
        std::size_t end;
        while ((end = pending.find('\n')) == std::string::npos) {
            char buffer[65536];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            pending.append(buffer, static_cast<std::size_t>(n));
        }
        if (end == std::string::npos) {
            std::fprintf(stderr, "devsim: connection closed before a reply to '%s'\n",
                         command.c_str());
            status = 1;
            break;
        }
        const std::string reply = pending.substr(0, end);
        pending.erase(0, end + 1);
        std::printf("%s\n", reply.c_str());
        if (reply.rfind("ok", 0) != 0) status = 1;
    }
    close(fd);
    return status;
}

bool WriteReadyFile(const std::string& path, int port) {
    const std::string temp = path + ".tmp" + std::to_string(getpid());
    FILE* file = std::fopen(temp.c_str(), "w");
    if (!file) return false;
    const bool written = std::fprintf(file, "port=%d\n", port) > 0;
    if (std::fclose(file) != 0 || !written) return false;
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const auto start = devsim::Clock::now();
    const pid_t parent = getppid();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--client") {
        if (args.size() < 3) return Usage();
        return Client(args[1].c_str(), std::vector<std::string>(args.begin() + 2, args.end()));
    }

    std::string wineDir, readyPath, logPath;
    bool noWine = false;
    std::vector<devsim::PortPlan> plans;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--wine-dir" && hasValue) {
            wineDir = args[++i];
        } else if (arg == "--ready" && hasValue) {
            readyPath = args[++i];
        } else if (arg == "--log" && hasValue) {
            logPath = args[++i];
        } else if (arg == "--no-wine") {
            noWine = true;
        } else if (arg.rfind("--", 0) == 0) {
            return Usage();
        } else {
            devsim::PortPlan portPlan;
            std::string error;
            if (!devsim::ParsePortPlan(arg, portPlan, error)) {
                std::fprintf(stderr, "devsim: %s\n", error.c_str());
                return 2;
            }
            plans.push_back(portPlan);
        }
    }
    if (readyPath.empty() || (wineDir.empty() == !noWine)) return Usage();

    // Signals arrive through the poll loop; a parent that goes away counts as one.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    const int signalFd = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (signalFd < 0 || getppid() != parent) return 1;

    devsim::Simulator simulator(start);
    std::string error;
    if (!simulator.OpenPorts(plans, error) ||
        (!logPath.empty() && !simulator.OpenLog(logPath, error))) {
        std::fprintf(stderr, "devsim: %s\n", error.c_str());
        return 1;
    }
    if (!noWine) {
        std::string notes;
        const bool prepared = devsim::PrepareWine(wineDir, simulator.Mapping(), error, notes);
        if (std::getenv("DEVSIM_VERBOSE")) std::fprintf(stderr, "%s", notes.c_str());
        if (!prepared) {
            std::fprintf(stderr, "devsim: %s\n", error.c_str());
            return 1;
        }
    }
    int port = 0;
    if (!simulator.Listen(port, error)) {
        std::fprintf(stderr, "devsim: %s\n", error.c_str());
        return 1;
    }
    if (!WriteReadyFile(readyPath, port)) {
        std::fprintf(stderr, "devsim: cannot write %s\n", readyPath.c_str());
        return 1;
    }
    const double readyMs =
        std::chrono::duration<double, std::milli>(devsim::Clock::now() - start).count();
    std::fprintf(stderr, "devsim: ready in %.0f ms on port %d\n", readyMs, port);
    const int status = simulator.Run(signalFd);
    unlink(readyPath.c_str());
    close(signalFd);
    return status;
}
