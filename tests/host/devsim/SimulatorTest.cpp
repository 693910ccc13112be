// The simulator as tests under Wine meet it, minus Wine: each test starts the devsim binary
// with pseudo-terminal ports only and plays the program's part on the slave side.
#include <gtest/gtest.h>

#include "DevsimHarness.h"
#include "DevsimStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Simulator : ::testing::Test {
    DevsimProcess devsim{{"COM2=device", "COM3=silent", "COM5=missing", "COM6=noterm"}};
    std::unique_ptr<Control> control;

    void SetUp() override {
        ASSERT_TRUE(devsim.Ready()) << devsim.Output();
        control = std::make_unique<Control>(devsim.ControlPort());
    }
    std::string PathOf(const char* port) {
        const std::string reply = control->Command(std::string("path ") + port);
        return reply.rfind("ok ", 0) == 0 ? reply.substr(3) : "";
    }
    // After the device has heard count bytes, a marker it sends must be the next thing read:
    // proof that it sent nothing else first.
    void ExpectNothingMoreThan(Terminal& terminal, const char* port, int count) {
        EXPECT_EQ(
            control->Command("wait " + std::string(port) + " " + std::to_string(count) + " 5000"),
            "ok " + std::to_string(count));
        EXPECT_EQ(control->Command(std::string("send ") + port + " 5A"), "ok");
        EXPECT_EQ(terminal.Read(1), "Z");
    }
};

TEST_F(Simulator, DeviceAnswersEveryProbeAnywhereInItsInput) {
    Terminal com2(PathOf("COM2"));
    ASSERT_TRUE(com2.Open());
    com2.Write("CA");
    EXPECT_EQ(com2.Read(2), "CA");

    // A probe split over two reads of the device still counts.
    com2.Write("C");
    ASSERT_EQ(control->Command("wait COM2 3 5000"), "ok 3");
    com2.Write("A");
    EXPECT_EQ(com2.Read(2), "CA");

    // Two probes among other bytes: two answers; "CCA" holds one probe, "AC" none.
    com2.Write("xCACAyCCAACz");
    EXPECT_EQ(com2.Read(6), "CACACA");
    ExpectNothingMoreThan(com2, "COM2", 16);
    EXPECT_EQ(control->Command("rx COM2"), "ok " + Hex("CACAxCACAyCCAACz"));
}

TEST_F(Simulator, SilentPortHearsButNeverAnswersUntilMadeADevice) {
    Terminal com3(PathOf("COM3"));
    ASSERT_TRUE(com3.Open());
    com3.Write("CA");
    ExpectNothingMoreThan(com3, "COM3", 2);

    ASSERT_EQ(control->Command("kind COM3 device"), "ok");
    com3.Write("CA");
    EXPECT_EQ(com3.Read(2), "CA");
    ASSERT_EQ(control->Command("kind COM2 silent"), "ok");
    Terminal com2(PathOf("COM2"));
    com2.Write("CA");
    ExpectNothingMoreThan(com2, "COM2", 2);
}

TEST_F(Simulator, AnswerDelayAndDelayedSendsKeepTheirTime) {
    Terminal com2(PathOf("COM2"));
    ASSERT_EQ(control->Command("answer-delay COM2 300"), "ok");
    auto start = Clock::now();
    com2.Write("CA");
    EXPECT_EQ(com2.Read(2), "CA");
    double took = MsSince(start);
    // Tolerance: never early (the delay starts when the device hears the probe, after our
    // write); at most 150 ms late on a loaded, sanitized build.
    EXPECT_GE(took, 300.0);
    EXPECT_LT(took, 450.0);

    start = Clock::now();
    ASSERT_EQ(control->Command("send COM2 52 250"), "ok");
    EXPECT_EQ(com2.Read(1), "R");
    took = MsSince(start);
    EXPECT_GE(took, 250.0);
    EXPECT_LT(took, 400.0);

    // The log gives the same intervals: rx of the probe, tx of the answer 300 ms later.
    // A byte can be read before its log line is written; any control reply comes after it.
    ASSERT_EQ(control->Command("rx COM2"), "ok 4341");
    std::istringstream log(devsim.LogText());
    // Comment lines first, then one line per chunk: time, port, direction, hex, meaning.
    std::regex format(R"(^ *(\d+\.\d{3}) (COM\d+) +(rx|tx) ([0-9A-F]+)(?: +(.+))?$)");
    std::vector<std::string> texts;
    for (std::string line; std::getline(log, line);)
        texts.push_back(line);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0].substr(0, 2), "# ");
    EXPECT_EQ(texts[1].substr(0, 2), "# ");
    texts.erase(texts.begin(), texts.begin() + 2);
    std::vector<double> at;
    std::vector<std::string> what;
    for (const std::string& line : texts) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, format)) << line;
        at.push_back(std::stod(m[1]));
        what.push_back(m[2].str() + " " + m[3].str() + " " + m[4].str() + " " + m[5].str());
    }
    ASSERT_EQ(what, (std::vector<std::string>{"COM2 rx 4341 CA probe",
                                              "COM2 tx 4341 CA present (answers the probe)",
                                              "COM2 tx 52 R ring"}));
    EXPECT_GE(at[1] - at[0], 300.0);
    EXPECT_LT(at[1] - at[0], 400.0) << "tolerance +100 ms";
    EXPECT_LE(at[0], at[1]);
}

TEST_F(Simulator, WaitRxAndClearFollowWhatArrived) {
    Terminal com3(PathOf("COM3"));
    EXPECT_EQ(control->Command("rx COM3"), "ok");
    auto start = Clock::now();
    EXPECT_EQ(control->Command("wait COM3 1 200"), "err timeout 0");
    EXPECT_GE(MsSince(start), 200.0);

    // A wait holds the connection's later commands until it is answered, so replies stay in
    // order; the bytes arriving later end it.
    control->SendLine("wait COM3 4 5000");
    control->SendLine("rx COM3");
    com3.Write("Da");
    // Another connection meanwhile: served at once.
    Control second(devsim.ControlPort());
    EXPECT_EQ(second.Command("wait COM3 2 5000"), "ok 2");
    com3.Write("Db");
    EXPECT_EQ(control->ReadReply(), "ok 4");
    EXPECT_EQ(control->ReadReply(), "ok " + Hex("DaDb"));
    EXPECT_EQ(control->Command("rxsum COM3").substr(0, 5), "ok 4 ");

    EXPECT_EQ(control->Command("clear COM3"), "ok");
    EXPECT_EQ(control->Command("rx COM3"), "ok");
    EXPECT_EQ(control->Command("rxsum COM3"), "ok 0 CBF29CE484222325");
    com3.Write("Ca");
    EXPECT_EQ(control->Command("wait COM3 2 5000"), "ok 2");
    EXPECT_EQ(control->Command("rx COM3"), "ok " + Hex("Ca"));
}

TEST_F(Simulator, BadCommandsGetAReasonAndTheChannelGoesOn) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"dance", "err unknown command dance"},
        {"rx COM9", "err no port COM9"},
        {"rx COM5", "err COM5 is a missing port"},
        {"send COM5 41", "err COM5 is a missing port"},
        {"path COM6", "err COM6 is no terminal"},
        {"send COM2 4", "err bad hex"},
        {"send COM2 XY", "err bad hex"},
        {"send COM2 41 soon", "err bad delay"},
        {"send COM2", "err usage: send COMx HEX [DELAY_MS]"},
        {"kind COM2 modem", "err bad kind"},
        {"hold COM2 maybe", "err usage: hold COMx on|off"},
        {"wait COM2 x 10", "err bad number"},
        {"sendrandom COM2 10 4294967296", "err bad number"},
        {"answer-delay COM2 -1", "err bad delay"},
    };
    for (const auto& [command, reply] : cases)
        EXPECT_EQ(control->Command(command), reply) << command;
    control->SendLine("");
    EXPECT_EQ(control->Command("rx COM2"), "ok") << "a blank line gets no reply";
}

TEST_F(Simulator, HeldPortLetsTheProgramsWritesBackUp) {
    Terminal com3(PathOf("COM3"));
    ASSERT_EQ(control->Command("hold COM3 on"), "ok");
    devsim::XorShift32 random(5);
    std::string written;
    for (;;) {
        char chunk[1024];
        random.Fill(reinterpret_cast<std::uint8_t*>(chunk), sizeof chunk);
        const ssize_t n = write(com3.Fd(), chunk, sizeof chunk);
        if (n < 0) {
            ASSERT_EQ(errno, EAGAIN);
            break;
        }
        written.append(chunk, static_cast<std::size_t>(n));
        ASSERT_LT(written.size(), 16u << 20) << "writes never blocked";
    }
    EXPECT_EQ(control->Command("rxsum COM3").substr(0, 5), "ok 0 ");
    ASSERT_EQ(control->Command("hold COM3 off"), "ok");
    EXPECT_EQ(control->Command("wait COM3 " + std::to_string(written.size()) + " 5000"),
              "ok " + std::to_string(written.size()));
    devsim::Fnv1a64 sum;
    sum.Add(reinterpret_cast<const std::uint8_t*>(written.data()), written.size());
    char expected[64];
    std::snprintf(expected, sizeof expected, "ok %zu %016llX", written.size(),
                  static_cast<unsigned long long>(sum.Hash()));
    EXPECT_EQ(control->Command("rxsum COM3"), expected);
}

TEST_F(Simulator, AMegabyteEachWayAtOnceArrivesIntact) {
    constexpr std::size_t size = 1 << 20;
    Terminal com3(PathOf("COM3"));
    ASSERT_EQ(control->Command("sendrandom COM3 " + std::to_string(size) + " 7"), "ok");

    devsim::XorShift32 outgoing(11), expectedIncoming(7);
    devsim::Fnv1a64 sentSum;
    std::size_t sent = 0, received = 0;
    bool intact = true;
    std::vector<std::uint8_t> pendingOut;
    const auto start = Clock::now();
    while ((sent < size || received < size) && MsSince(start) < 60000) {
        pollfd fd{com3.Fd(), static_cast<short>(POLLIN | (sent < size ? POLLOUT : 0)), 0};
        ASSERT_GE(poll(&fd, 1, 5000), 1) << "stalled at sent " << sent << " received " << received;
        if (fd.revents & POLLIN) {
            std::uint8_t buffer[8192];
            const ssize_t n = read(com3.Fd(), buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i)
                intact = intact && buffer[i] == expectedIncoming.NextByte();
            if (n > 0) received += static_cast<std::size_t>(n);
        }
        if ((fd.revents & POLLOUT) && sent < size) {
            if (pendingOut.empty()) {
                pendingOut.resize(std::min<std::size_t>(4096, size - sent));
                outgoing.Fill(pendingOut.data(), pendingOut.size());
            }
            const ssize_t n = write(com3.Fd(), pendingOut.data(), pendingOut.size());
            if (n > 0) {
                sentSum.Add(pendingOut.data(), static_cast<std::size_t>(n));
                pendingOut.erase(pendingOut.begin(), pendingOut.begin() + n);
                sent += static_cast<std::size_t>(n);
            }
        }
    }
    EXPECT_EQ(received, size);
    EXPECT_TRUE(intact);
    ASSERT_EQ(control->Command("wait COM3 " + std::to_string(size) + " 10000"),
              "ok " + std::to_string(size));
    char expected[64];
    std::snprintf(expected, sizeof expected, "ok %zu %016llX", size,
                  static_cast<unsigned long long>(sentSum.Hash()));
    EXPECT_EQ(control->Command("rxsum COM3"), expected);
}

TEST_F(Simulator, RandomDeviceEventsComeAtTheirPaceAsTheGeneratorSays) {
    Terminal com3(PathOf("COM3"));
    devsim::XorShift32 random(5);
    std::string expected;
    std::vector<std::string> events;
    for (int i = 0; i < 12; ++i) {
        const auto event = devsim::NextEvent(random);
        events.emplace_back(event.begin(), event.end());
        expected += events.back();
    }
    // The salt gives every kind of event; noise never holds the flow-control characters.
    EXPECT_NE(std::find(events.begin(), events.end(), "CA"), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), "R"), events.end());
    EXPECT_EQ(expected.find_first_of("\x11\x13"), std::string::npos);

    const auto start = Clock::now();
    ASSERT_EQ(control->Command("sendevents COM3 12 40 5"), "ok");
    EXPECT_EQ(com3.Read(expected.size()), expected);
    // Tolerance: never early (11 steps of 40 ms after the first event); at most 200 ms late on
    // a loaded, sanitized build.
    const double took = MsSince(start);
    EXPECT_GE(took, 440.0);
    EXPECT_LT(took, 640.0);
    EXPECT_EQ(control->Command("sendevents COM3 1 0 5"), "err bad number");
    EXPECT_EQ(control->Command("sendevents COM5 1 10 5"), "err COM5 is a missing port");
}

TEST_F(Simulator, FlowEventsKeepTheRealXonAndXoffOfTheNoise) {
    Terminal com3(PathOf("COM3"));
    devsim::XorShift32 plain(9), flow(9);
    std::string withFlow, withoutFlow;
    for (int i = 0; i < 1000; ++i) {
        const auto a = devsim::NextEvent(plain);
        const auto b = devsim::NextEvent(flow, true);
        withoutFlow.append(a.begin(), a.end());
        withFlow.append(b.begin(), b.end());
    }
    // The same events, but for the flow characters the plain stream hides.
    ASSERT_EQ(withFlow.size(), withoutFlow.size());
    EXPECT_NE(withFlow.find('\x11'), std::string::npos);
    EXPECT_NE(withFlow.find('\x13'), std::string::npos);
    for (std::size_t i = 0; i < withFlow.size(); ++i) {
        const bool flowByte = withFlow[i] == '\x11' || withFlow[i] == '\x13';
        EXPECT_EQ(withoutFlow[i], flowByte ? char(withFlow[i] | 0x40) : withFlow[i]) << i;
    }

    ASSERT_EQ(control->Command("sendevents COM3 1000 1 9 flow"), "ok");
    EXPECT_EQ(com3.Read(withFlow.size()), withFlow);
    EXPECT_EQ(control->Command("sendevents COM3 1 10 9 noflow"),
              "err usage: sendevents COMx N EVERY_MS SALT [flow]");
}

TEST_F(Simulator, ManyOpenCloseCyclesOfOnePortKeepWorking) {
    const std::string path = PathOf("COM2");
    for (int i = 0; i < 200; ++i) {
        Terminal com2(path);
        ASSERT_TRUE(com2.Open()) << "cycle " << i;
        com2.Write("CA");
        ASSERT_EQ(com2.Read(2), "CA") << "cycle " << i;
    }
    // Bytes the device sends while no program has the port open wait for the next opener.
    ASSERT_EQ(control->Command("send COM2 52"), "ok");
    Terminal later(path);
    EXPECT_EQ(later.Read(1), "R");
    EXPECT_EQ(control->Command("wait COM2 400 5000"), "ok 400");
}

// CPU time (user + system, in clock ticks) the process has used so far.
long CpuTicks(pid_t pid) {
    FILE* file = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!file) return -1;
    char text[1024] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    const char* rest = std::strrchr(text, ')'); // the command name may hold spaces
    long user = -1, system = -1;
    if (n && rest)
        std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &user,
                    &system);
    return user + system;
}

TEST_F(Simulator, StaysIdleOnceTheProgramHasClosedItsPort) {
    {
        Terminal com2(PathOf("COM2"));
        com2.Write("CA");
        ASSERT_EQ(com2.Read(2), "CA");
    }
    const long before = CpuTicks(devsim.Pid());
    // Half a second with nothing to do: the wait's own timer is the only event.
    EXPECT_EQ(control->Command("wait COM2 3 500"), "err timeout 2");
    const long used = CpuTicks(devsim.Pid()) - before;
    EXPECT_LE(used, 5) << "ticks of CPU in 500 ms idle (tolerance: 5 ticks, 50 ms)";
}

TEST_F(Simulator, QuitEndsTheProcessAndRemovesTheReadyFile) {
    EXPECT_EQ(control->Command("quit"), "ok");
    EXPECT_EQ(devsim.WaitExit(5000), 0);
    EXPECT_NE(access(devsim.ReadyPath().c_str(), F_OK), 0);
}

TEST_F(Simulator, TerminationSignalEndsItCleanly) {
    ASSERT_EQ(kill(devsim.Pid(), SIGTERM), 0);
    EXPECT_EQ(devsim.WaitExit(5000), 0);
    EXPECT_NE(access(devsim.ReadyPath().c_str(), F_OK), 0);
}

TEST_F(Simulator, ClientModePrintsRepliesAndFailsOnAnError) {
    const std::string command = std::string(DEVSIM_BINARY) + " --client " +
                                std::to_string(devsim.ControlPort()) +
                                " 'send COM2 4341' 'rx COM2' 'rx COM9' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pclose(pipe);
    EXPECT_EQ(output, "ok\nok\nerr no port COM9\n");
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(SimulatorLife, EndsWhenItsParentGoes) {
    // The parent is a child of ours that starts devsim and then exits.
    int pidPipe[2], goPipe[2];
    ASSERT_EQ(pipe(pidPipe), 0);
    ASSERT_EQ(pipe(goPipe), 0);
    char dirTemplate[] = "/tmp/devsim-parent.XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string ready = std::string(dirTemplate) + "/ready";
    const pid_t middle = fork();
    ASSERT_GE(middle, 0);
    if (middle == 0) {
        const pid_t simulator = fork();
        if (simulator == 0) {
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, 1);
            dup2(quiet, 2);
            execl(DEVSIM_BINARY, DEVSIM_BINARY, "--no-wine", "--ready", ready.c_str(),
                  "COM4=device", static_cast<char*>(nullptr));
            _exit(127);
        }
        (void)!write(pidPipe[1], &simulator, sizeof simulator);
        char go;
        (void)!read(goPipe[0], &go, 1); // until the test has seen devsim ready
        _exit(0);
    }
    pid_t simulator = -1;
    ASSERT_EQ(read(pidPipe[0], &simulator, sizeof simulator),
              static_cast<ssize_t>(sizeof simulator));
    const auto start = Clock::now();
    while (access(ready.c_str(), F_OK) != 0 && MsSince(start) < 10000)
        usleep(10000); // waits for a file another process writes; no race depends on it
    EXPECT_EQ(access(ready.c_str(), F_OK), 0);
    (void)!write(goPipe[1], "x", 1);
    waitpid(middle, nullptr, 0);
    EXPECT_TRUE(EndsWithin(simulator, 5000));
    EXPECT_NE(access(ready.c_str(), F_OK), 0) << "devsim did not end cleanly";
    if (kill(simulator, 0) == 0) kill(simulator, SIGKILL);
    for (int fd : {pidPipe[0], pidPipe[1], goPipe[0], goPipe[1]})
        close(fd);
    std::system(("rm -rf '" + std::string(dirTemplate) + "'").c_str());
}

TEST(SimulatorLife, BadArgumentsAreRefused) {
    for (const char* args : {"--no-wine --ready /tmp/x COM2=modem", "--no-wine COM2=device",
                             "--no-wine --ready /tmp/x COM2=device COM2=silent",
                             "--wine-dir /nonexistent --ready /tmp/x COM2=device"}) {
        const std::string command = std::string(DEVSIM_BINARY) + " " + args + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        EXPECT_NE(WEXITSTATUS(status), 0) << args;
    }
}

} // namespace
