#include "DevsimHarness.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

DevsimProcess::DevsimProcess(const std::vector<std::string>& ports) {
    char pattern[] = "/tmp/devsim-test.XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(watch, dir_.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);

    std::vector<std::string> args{DEVSIM_BINARY, "--no-wine", "--ready",
                                  ReadyPath(),   "--log",     dir_ + "/log"};
    args.insert(args.end(), ports.begin(), ports.end());
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = dir_ + "/out";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);

    const auto start = std::chrono::steady_clock::now();
    while (MsSince(start) < 10000) {
        const std::string ready = Slurp(ReadyPath());
        if (ready.rfind("port=", 0) == 0) {
            controlPort_ = std::atoi(ready.c_str() + 5);
            break;
        }
        int status;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        pollfd wait{watch, POLLIN, 0};
        if (poll(&wait, 1, 200) > 0) {
            char events[4096];
            while (read(watch, events, sizeof events) > 0) {
            }
        }
    }
    close(watch);
}

DevsimProcess::~DevsimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    std::system(("rm -rf '" + dir_ + "'").c_str());
}

std::string DevsimProcess::LogText() const {
    return Slurp(dir_ + "/log");
}
std::string DevsimProcess::Output() const {
    return Slurp(dir_ + "/out");
}

int DevsimProcess::WaitExit(int timeoutMs) {
    if (pid_ <= 0 || !EndsWithin(pid_, timeoutMs)) return -1;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool EndsWithin(pid_t pid, int timeoutMs) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) return errno == ESRCH;
    pollfd wait{fd, POLLIN, 0};
    const bool ended = poll(&wait, 1, timeoutMs) == 1;
    close(fd);
    return ended;
}

Control::Control(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error(std::string("connect: ") + std::strerror(errno));
}

Control::~Control() {
    close(fd_);
}

void Control::SendLine(const std::string& line) {
    const std::string out = line + "\n";
    if (send(fd_, out.data(), out.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(out.size()))
        throw std::runtime_error("send failed");
}

std::string Control::ReadReply() {
    std::size_t end;
    while ((end = pending_.find('\n')) == std::string::npos) {
        pollfd wait{fd_, POLLIN, 0};
        if (poll(&wait, 1, 10000) != 1) throw std::runtime_error("no reply within 10 s");
        char buffer[65536];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) return "<closed>";
        pending_.append(buffer, static_cast<std::size_t>(n));
    }
    std::string reply = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return reply;
}

std::string Control::Command(const std::string& line) {
    SendLine(line);
    return ReadReply();
}

Terminal::Terminal(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
}

Terminal::~Terminal() {
    if (fd_ >= 0) close(fd_);
}

void Terminal::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd wait{fd_, POLLOUT, 0};
            if (poll(&wait, 1, 5000) != 1) throw std::runtime_error("terminal write stalled");
        } else if (n < 0 && errno != EINTR) {
            throw std::runtime_error(std::string("terminal write: ") + std::strerror(errno));
        }
    }
}

std::string Terminal::Read(std::size_t count, int timeoutMs) {
    std::string got;
    while (got.size() < count) {
        pollfd wait{fd_, POLLIN, 0};
        if (poll(&wait, 1, timeoutMs) != 1) break;
        char buffer[65536];
        const ssize_t n = read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
    }
    return got;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}
