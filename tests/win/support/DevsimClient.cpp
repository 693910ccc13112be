#include "DevsimClient.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <vector>

namespace {

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0F];
    }
    return hex;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

SOCKET AsSocket(std::uintptr_t s) {
    return static_cast<SOCKET>(s);
}

} // namespace

std::uint64_t Fnv1a64(std::uint64_t hash, const void* data, std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= devsim::Fnv1a64::kPrime;
    }
    return hash;
}

std::string RandomBytes(std::size_t count, std::uint32_t salt) {
    devsim::XorShift32 random(salt);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random.NextByte());
    return bytes;
}

DevsimClient::DevsimClient() : socket_(static_cast<std::uintptr_t>(INVALID_SOCKET)) {
    const char* portText = std::getenv("DEVSIM_CONTROL_PORT");
    const int port = portText ? std::atoi(portText) : 0;
    if (port <= 0 || port > 65535)
        throw DevsimError("DEVSIM_CONTROL_PORT is not set: run the test through with-devsim");
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw DevsimError("WSAStartup failed");
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(port));
    if (s == INVALID_SOCKET ||
        ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = WSAGetLastError();
        if (s != INVALID_SOCKET) closesocket(s);
        WSACleanup();
        throw DevsimError("cannot reach the device simulator on port " + std::to_string(port) +
                          " (error " + std::to_string(error) + ")");
    }
    // Commands are small and each waits for its reply: send them at once.
    BOOL noDelay = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    socket_ = static_cast<std::uintptr_t>(s);
}

DevsimClient::~DevsimClient() {
    closesocket(AsSocket(socket_));
    WSACleanup();
}

std::string DevsimClient::Command(const std::string& line) {
    const std::string out = line + "\n";
    for (std::size_t done = 0; done < out.size();) {
        const int n =
            ::send(AsSocket(socket_), out.data() + done, static_cast<int>(out.size() - done), 0);
        if (n <= 0) throw DevsimError("lost the device simulator sending '" + line + "'");
        done += static_cast<std::size_t>(n);
    }
    std::size_t end;
    while ((end = pending_.find('\n')) == std::string::npos) {
        std::vector<char> buffer(65536);
        const int n = ::recv(AsSocket(socket_), buffer.data(), static_cast<int>(buffer.size()), 0);
        if (n <= 0) throw DevsimError("lost the device simulator waiting for '" + line + "'");
        pending_.append(buffer.data(), static_cast<std::size_t>(n));
    }
    std::string reply = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return reply;
}

std::string DevsimClient::Expect(const std::string& line) {
    const std::string reply = Command(line);
    if (reply == "ok") return "";
    if (reply.rfind("ok ", 0) == 0) return reply.substr(3);
    throw DevsimError("devsim: '" + line + "' -> '" + reply + "'");
}

void DevsimClient::Send(const std::string& port, const std::string& bytes, unsigned delayMs) {
    // Built by appending: GCC 12 misreports "literal" + string here (-Wrestrict).
    std::string line = "send ";
    line += port;
    line += ' ';
    line += ToHex(bytes);
    if (delayMs) {
        line += ' ';
        line += std::to_string(delayMs);
    }
    Expect(line);
}

void DevsimClient::Kind(const std::string& port, const std::string& kind) {
    Expect("kind " + port + " " + kind);
}

void DevsimClient::AnswerDelay(const std::string& port, unsigned ms) {
    Expect("answer-delay " + port + " " + std::to_string(ms));
}

std::string DevsimClient::Rx(const std::string& port) {
    const std::string line = "rx " + port;
    const std::string hex = Expect(line);
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) throw DevsimError("devsim: bad hex in reply to '" + line + "'");
        bytes += static_cast<char>(high << 4 | low);
    }
    return bytes;
}

bool DevsimClient::Wait(const std::string& port, std::uint64_t count, unsigned timeoutMs,
                        std::uint64_t* received) {
    const std::string line =
        "wait " + port + " " + std::to_string(count) + " " + std::to_string(timeoutMs);
    const std::string reply = Command(line);
    const bool ok = reply.rfind("ok ", 0) == 0;
    if (!ok && reply.rfind("err timeout ", 0) != 0)
        throw DevsimError("devsim: '" + line + "' -> '" + reply + "'");
    if (received) *received = std::strtoull(reply.c_str() + (ok ? 3 : 12), nullptr, 10);
    return ok;
}

void DevsimClient::Clear(const std::string& port) {
    Expect("clear " + port);
}

void DevsimClient::Hold(const std::string& port, bool on) {
    Expect("hold " + port + (on ? " on" : " off"));
}

void DevsimClient::SendRandom(const std::string& port, std::uint64_t count, std::uint32_t salt) {
    Expect("sendrandom " + port + " " + std::to_string(count) + " " + std::to_string(salt));
}

DevsimClient::Sum DevsimClient::RxSum(const std::string& port) {
    const std::string reply = Expect("rxsum " + port);
    char* end = nullptr;
    Sum sum{};
    sum.count = std::strtoull(reply.c_str(), &end, 10);
    sum.hash = std::strtoull(end, nullptr, 16);
    return sum;
}

std::string DevsimClient::Path(const std::string& port) {
    return Expect("path " + port);
}
