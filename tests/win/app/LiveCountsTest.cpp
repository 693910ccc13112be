// The live counts a long run reads from outside: heap blocks follow the program's allocations,
// running worker threads are counted, and the file holds one whole line of every count.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "app/LiveCounts.h"
#include "comm/Thread.h"
#include "ui/Handles.h"

namespace {

// Waits on an event, so the test decides when it ends.
class TWaitingThread : public TThread {
  public:
    TKernelHandle Started{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    TKernelHandle Release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

  protected:
    void Execute() override {
        SetEvent(Started);
        WaitForSingleObject(Release, INFINITE);
    }
};

TEST(LiveCounts, HeapBlocksFollowTheProgramsAllocations) {
    std::vector<void*> blocks;
    blocks.reserve(100);
    const long before = LiveHeapBlocks();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 100; ++i)
        blocks.push_back(std::malloc(24 + i));
    EXPECT_EQ(LiveHeapBlocks(), before + 100);
    for (void* block : blocks)
        std::free(block);
    EXPECT_EQ(LiveHeapBlocks(), before);
}

TEST(LiveCounts, RunningWorkerThreadsAreCounted) {
    const long before = TThread::RunningCount();
    {
        TWaitingThread thread;
        ASSERT_TRUE(thread.Create());
        EXPECT_EQ(TThread::RunningCount(), before) << "created suspended: not running yet";
        thread.Resume();
        ASSERT_EQ(WaitForSingleObject(thread.Started, 10000), WAIT_OBJECT_0);
        EXPECT_EQ(TThread::RunningCount(), before + 1);
        SetEvent(thread.Release);
        thread.WaitFor();
        EXPECT_EQ(TThread::RunningCount(), before);
    }
    EXPECT_GE(ProcessThreads(), 1);
}

TEST(LiveCounts, TheFileHoldsOneWholeLineOfEveryCount) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "dialer-live-counts-test.txt";
    std::remove(path.c_str());
    SetEnvironmentVariableA(TLiveCounts::FileVariable, nullptr);
    EXPECT_EQ(TLiveCounts::FromEnvironment(), nullptr) << "nothing runs unless asked for";

    SetEnvironmentVariableA(TLiveCounts::FileVariable, path.c_str());
    const long windows = LiveHandles(THandleKind::Window);
    {
        const auto counts = TLiveCounts::FromEnvironment();
        ASSERT_NE(counts, nullptr);
        std::ifstream file(path, std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        const std::string line = text.str();
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\n');
        EXPECT_EQ(line.find('\n'), line.size() - 1);
        std::istringstream fields(line);
        std::vector<std::string> names;
        for (std::string field; fields >> field;) {
            const size_t equals = field.find('=');
            ASSERT_NE(equals, std::string::npos) << field;
            EXPECT_NO_THROW((void)std::stol(field.substr(equals + 1))) << field;
            names.push_back(field.substr(0, equals));
        }
        const std::vector<std::string> expected{
            "kernel", "window", "gdi",   "dc",       "windowdc", "icon", "cursor",
            "menu",   "hook",   "timer", "subclass", "thread",   "heap", "process_threads"};
        EXPECT_EQ(names, expected);
    }
    SetEnvironmentVariableA(TLiveCounts::FileVariable, nullptr);
    EXPECT_EQ(LiveHandles(THandleKind::Window), windows) << "the writer's timer window is gone";
    std::remove(path.c_str());
}

} // namespace
