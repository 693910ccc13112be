// TComm against a scripted port: the settings that reach the driver, the open failures, and
// the worker threads' handling of what only a real line (or a broken driver) produces.
#include <gtest/gtest.h>

#include "CommEvents.h"
#include "FakeSerial.h"
#include "comm/Comm.h"

namespace {

struct CommFault : ::testing::Test {
    FakeSerial fake;
    TComm comm{nullptr};
    CommEvents seen;

    void SetUp() override {
        comm.SetPlatform(fake);
        seen.Attach(comm);
    }
    // Whatever a test did, nothing may be left to land in freed memory once the port is
    // closed, and every block handed between threads must have been freed.
    void TearDown() override {
        fake.HoldOutputPurge(false);
        comm.ClosePort();
        EXPECT_EQ(fake.CompletionsAfterTheirThreadEnded(), 0);
        EXPECT_EQ(fake.CompletionsAtClose(), 0);
        EXPECT_EQ(fake.BlocksLive(), 0);
    }
    void OpenAndSettle() {
        comm.OpenPort();
        ASSERT_NE(comm.PortHandle(), nullptr) << comm.PortOpenError();
        ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") == 1; }));
    }
    // The reader's last act is its own input purge; nothing else purges just that while open.
    bool ReaderEnded() { return fake.PurgeCalls(PURGE_RXABORT | PURGE_RXCLEAR) > 0; }
};

TEST_F(CommFault, MainWindowSettingsBuildTheControlBlock) {
    comm.SetDtrControl(TDtrControl::DtrEnable);
    comm.SetRtsControl(TRtsControl::RtsEnable);
    comm.SetTxContinueOnXoff(true);
    comm.SetOutx_XonXoffFlow(true);
    comm.SetInx_XonXoffFlow(true);
    OpenAndSettle();
    const DCB d = fake.LastDcb();
    EXPECT_EQ(d.BaudRate, 9600u);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_EQ(d.fBinary, 1u);
    EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
    EXPECT_EQ(d.fOutX, 1u);
    EXPECT_EQ(d.fInX, 1u);
    EXPECT_EQ(d.fTXContinueOnXoff, 1u);
    EXPECT_EQ(d.fOutxCtsFlow | d.fOutxDsrFlow | d.fParity | d.fAbortOnError | d.fNull, 0u);
    EXPECT_EQ(d.XonLim, 500);
    EXPECT_EQ(d.XoffLim, 500);
    EXPECT_EQ(d.XonChar, 0x11);
    EXPECT_EQ(d.XoffChar, 0x13);
    EXPECT_EQ(d.EofChar, 0x1A) << "fields not set must stay as the driver reported them";
    EXPECT_EQ(d.EvtChar, 0x7E);
    const COMMTIMEOUTS t = fake.LastTimeouts();
    EXPECT_EQ(t.ReadIntervalTimeout, 100u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant + t.ReadTotalTimeoutMultiplier +
                  t.WriteTotalTimeoutConstant + t.WriteTotalTimeoutMultiplier,
              0u);
}

TEST_F(CommFault, EnumerationsMapByMemberNotByOrdinal) {
    OpenAndSettle();
    comm.SetDtrControl(TDtrControl::DtrHandshake);
    comm.SetRtsControl(TRtsControl::RtsTransmissionAvailable);
    comm.SetByteSize(TByteSize::_5);
    comm.SetParity(TParity::Space);
    comm.SetStopBits(TStopBits::_1_5);
    const DCB d = fake.LastDcb();
    EXPECT_EQ(d.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
    EXPECT_EQ(d.fRtsControl, static_cast<DWORD>(RTS_CONTROL_TOGGLE));
    EXPECT_EQ(d.ByteSize, 5);
    EXPECT_EQ(d.Parity, SPACEPARITY);
    EXPECT_EQ(d.StopBits, ONE5STOPBITS);
    comm.SetDtrControl(TDtrControl::DtrDisable);
    EXPECT_EQ(fake.LastDcb().fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
}

TEST_F(CommFault, LineSettingsReachAnOpenPortOnlyWhenChanged) {
    comm.SetBaudRate(19200); // closed: stored only
    EXPECT_EQ(fake.SetCommStateCalls(), 0);
    OpenAndSettle();
    const int afterOpen = fake.SetCommStateCalls();
    EXPECT_EQ(fake.LastDcb().BaudRate, 19200u);
    comm.SetBaudRate(19200);
    EXPECT_EQ(fake.SetCommStateCalls(), afterOpen);
    comm.SetBaudRate(4800);
    EXPECT_EQ(fake.SetCommStateCalls(), afterOpen + 1);
    EXPECT_EQ(fake.LastDcb().BaudRate, 4800u);
    comm.SetReadIntervalTimeout(250);
    EXPECT_EQ(fake.LastTimeouts().ReadIntervalTimeout, 250u);
}

TEST_F(CommFault, OpenFailuresLeaveThePortClosed) {
    fake.fileType = FILE_TYPE_DISK;
    comm.OpenPort();
    EXPECT_EQ(comm.PortHandle(), nullptr);
    EXPECT_EQ(comm.PortOpenError(), "File handle is not a comm handle ");
    EXPECT_FALSE(fake.PortOpen()) << "the refused handle must be closed";

    fake.fileType = FILE_TYPE_CHAR;
    fake.setupCommFails = true;
    try {
        comm.OpenPort();
        FAIL() << "expected ECommsError";
    } catch (const ECommsError& e) {
        EXPECT_EQ(e.Message(), L"Cannot setup comm buffer");
    }
    EXPECT_EQ(comm.PortHandle(), nullptr);
    EXPECT_EQ(comm.PortOpenError(), "Cannot setup comm buffer");
    EXPECT_FALSE(fake.PortOpen());
}

TEST_F(CommFault, SecondOpenKeepsThePortAndCloseClearsTheError) {
    OpenAndSettle();
    HANDLE first = comm.PortHandle();
    comm.OpenPort();
    EXPECT_EQ(comm.PortHandle(), first);
    EXPECT_EQ(comm.PortOpenError(), "This serial port already opened");
    comm.ClosePort();
    EXPECT_EQ(comm.PortHandle(), nullptr);
    EXPECT_FALSE(fake.PortOpen());
    comm.SetPortOpenError("left by the owner");
    comm.ClosePort();
    EXPECT_EQ(comm.PortOpenError(), "");
}

TEST_F(CommFault, CommandsQueuedBehindABusyWriteGoOutInOrderWithOneDrainReport) {
    OpenAndSettle();
    fake.BlockWrites(true); // the first write stalls while two more queue up behind it
    ASSERT_TRUE(comm.SendData("Aa", 2));
    ASSERT_TRUE(PumpUntil([&] { return fake.WriteCalls() == 1; }));
    ASSERT_TRUE(comm.SendData("Da", 2));
    ASSERT_TRUE(comm.SendData("Db", 2));
    fake.ReleaseWrites();
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") == 2; }));
    EXPECT_EQ(fake.Written(), "AaDaDb");
    EXPECT_EQ(fake.WriteCalls(), 3) << "one write per command";
    // Another burst gives exactly one more drain report, and nothing came in between.
    ASSERT_TRUE(comm.SendData("Ca", 2));
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") == 3; }));
    EXPECT_EQ(seen.Joined(), "empty empty empty");
}

TEST_F(CommFault, SendRefusals) {
    EXPECT_FALSE(comm.SendData("Aa", 2)) << "port closed";
    OpenAndSettle();
    EXPECT_FALSE(comm.SendData("Aa", 0));
    // A longer count is cut to its low 16 bits: 65538 sends 2 bytes.
    std::string big(65538, 'x');
    big[0] = 'O';
    big[1] = 'K';
    ASSERT_TRUE(comm.SendData(big.data(), 65538));
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") == 2; }));
    EXPECT_EQ(fake.Written(), "OK");
    comm.SetOutput("Ca");
    EXPECT_EQ(comm.Output(), "Ca");
    ASSERT_TRUE(PumpUntil([&] { return fake.Written() == "OKCa"; }));
}

TEST_F(CommFault, ReadSizeDecidesHowBytesAreGrouped) {
    OpenAndSettle();
    fake.Receive("CA");
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("data:A") == 1; }));
    EXPECT_EQ(seen.Count("data:C"), 1);
    comm.ClosePort();

    seen.events.clear();
    comm.SetInputLen(2);
    fake.Receive("CA"); // both bytes are waiting before the first read starts
    OpenAndSettle();
    // The open purges what was waiting; send again with the reader idle in a 2-byte read.
    fake.Receive("CA");
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("data:CA") == 1; }));
    EXPECT_EQ(seen.Count("data:C"), 0);
}

TEST_F(CommFault, LineErrorIsReportedAndReadingGoesOn) {
    OpenAndSettle();
    fake.RaiseLineEvent(EV_ERR, CE_FRAME);
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("error:" + std::to_string(CE_FRAME)) == 1; }));
    fake.Receive("R");
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("data:R") == 1; }));
    EXPECT_EQ(seen.Count("hangup"), 0);
}

TEST_F(CommFault, RingAndCarrierCodes) {
    OpenAndSettle();
    fake.RaiseLineEvent(EV_RING);
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("modem:4") == 1; }));
    fake.RaiseLineEvent(EV_RING | EV_RLSD);
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("modem:12") == 1; }));
    fake.RaiseLineEvent(EV_RLSD);
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("modem:8") == 1; }));
}

TEST_F(CommFault, EmptyLineEventEndsTheReaderWithAHangup) {
    OpenAndSettle();
    fake.RaiseLineEvent(0);
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("hangup") == 1 && ReaderEnded(); }));
    // The writer is independent of the reader and goes on.
    ASSERT_TRUE(comm.SendData("Aa", 2));
    ASSERT_TRUE(PumpUntil([&] { return fake.Written() == "Aa"; }));
}

TEST_F(CommFault, FailedReadReportsOneHangupAndSendingGoesOn) {
    OpenAndSettle();
    fake.FailPendingRead(ERROR_GEN_FAILURE);
    ASSERT_TRUE(PumpUntil([&] { return ReaderEnded(); }));
    ASSERT_TRUE(comm.SendData("Da", 2));
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") == 2; }));
    EXPECT_EQ(fake.Written(), "Da");
    EXPECT_EQ(seen.Count("hangup"), 1);
}

TEST_F(CommFault, InvalidHandleEndsTheReaderSilently) {
    OpenAndSettle();
    fake.FailPendingRead(ERROR_INVALID_HANDLE);
    ASSERT_TRUE(PumpUntil([&] { return ReaderEnded(); }));
    ASSERT_TRUE(comm.SendData("Da", 2)); // a later message proves the queue was drained
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("empty") == 2; }));
    EXPECT_EQ(seen.Count("hangup"), 0);
}

TEST_F(CommFault, CloseDuringAStalledWriteReturnsWithoutHangup) {
    OpenAndSettle();
    fake.BlockWrites(true);
    ASSERT_TRUE(comm.SendData("Aa", 2));
    ASSERT_TRUE(comm.SendData("Da", 2)); // still queued when the writer stops
    ASSERT_TRUE(PumpUntil([&] { return fake.WriteCalls() == 1; }));
    comm.ClosePort();
    EXPECT_EQ(comm.PortHandle(), nullptr);
    PumpUntil([] { return false; }, 50); // let anything posted before the close arrive
    EXPECT_EQ(seen.Count("hangup"), 0);
    EXPECT_EQ(fake.Written(), "");
}

TEST_F(CommFault, ReleasingTheOutputHoldLetsHeldCommandsOutAndKeepsFlowControl) {
    comm.SetOutx_XonXoffFlow(true);
    comm.SetInx_XonXoffFlow(true);
    comm.ReleaseOutputHold(); // closed: nothing to release, nothing touched
    EXPECT_EQ(fake.EscapeCalls(SETXON), 0);
    OpenAndSettle();
    fake.BlockWrites(true); // the device's last flow character was XOFF
    ASSERT_TRUE(comm.SendData("Aa", 2));
    ASSERT_TRUE(comm.SendData("Da", 2));
    ASSERT_TRUE(PumpUntil([&] { return fake.WriteCalls() == 1; }));
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(fake.Written(), "");

    comm.ReleaseOutputHold();
    ASSERT_TRUE(comm.SendData("Ca", 2));
    ASSERT_TRUE(PumpUntil([&] { return fake.Written() == "AaDaCa"; })) << fake.Written();
    EXPECT_EQ(fake.EscapeCalls(SETXON), 1);
    EXPECT_EQ(fake.LastDcb().fOutX, 1u) << "output flow control is on again";
    EXPECT_EQ(fake.LastDcb().fInX, 1u);
    EXPECT_EQ(seen.Count("hangup"), 0);
}

TEST_F(CommFault, PortsWithoutLineEventsStillDeliverData) {
    for (DWORD error : {ERROR_NOT_SUPPORTED, ERROR_INVALID_FUNCTION, ERROR_INVALID_PARAMETER}) {
        SCOPED_TRACE(error);
        seen.events.clear();
        fake.setCommMaskError = error;
        OpenAndSettle();
        fake.Receive("R");
        ASSERT_TRUE(PumpUntil([&] { return seen.Count("data:R") == 1; }));
        comm.ClosePort();
        fake.setCommMaskError = 0;

        seen.events.clear();
        fake.waitCommEventError = error;
        OpenAndSettle();
        fake.Receive("C");
        ASSERT_TRUE(PumpUntil([&] { return seen.Count("data:C") == 1; }));
        comm.ClosePort();
        fake.waitCommEventError = 0;
        EXPECT_EQ(seen.Count("hangup"), 0);
    }
}

TEST_F(CommFault, OtherLineEventFailuresStillEndTheReader) {
    fake.setCommMaskError = ERROR_ACCESS_DENIED;
    OpenAndSettle();
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("hangup") == 1 && ReaderEnded(); }));
    fake.setCommMaskError = 0;
    comm.ClosePort();

    seen.events.clear();
    fake.waitCommEventError = ERROR_GEN_FAILURE;
    OpenAndSettle();
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("hangup") == 1 && ReaderEnded(); }));
}

TEST_F(CommFault, AFailedNotificationEndsTheReaderWithoutCrashing) {
    OpenAndSettle();
    fake.FailPosts(true);
    fake.Receive("R");
    ASSERT_TRUE(PumpUntil([&] { return ReaderEnded(); }));
    fake.FailPosts(false);
    EXPECT_EQ(seen.Count("data:R"), 0);
    EXPECT_EQ(fake.PostsTried(MsgReceiveData), 1);
    EXPECT_EQ(fake.BlocksAllocated(), 1);
    EXPECT_EQ(fake.BlocksLive(), 0) << "the refused block was freed";
    EXPECT_EQ(fake.PostsTried(MsgRequestHangup), 1) << "the hang-up was tried (and refused too)";
    EXPECT_EQ(seen.Count("hangup"), 0);
}

TEST_F(CommFault, PendingWaitsAndWritesAreSettledBeforeTheirRecordsGo) {
    // A driver that leaves both the line-event wait and a stalled write pending until its
    // handle is closed: each thread must cancel and wait for what it started.
    fake.purgeLeavesWritesPending = true;
    OpenAndSettle();
    fake.BlockWrites(true);
    ASSERT_TRUE(comm.SendData("Aa", 2));
    ASSERT_TRUE(PumpUntil([&] { return fake.WriteCalls() == 1; }));
    comm.ClosePort();
    EXPECT_EQ(fake.CompletionsAtClose(), 0);
    EXPECT_EQ(fake.CompletionsAfterTheirThreadEnded(), 0);
    EXPECT_EQ(fake.Written(), "") << "the stalled write was cancelled, not completed";

    // A reader that ends by itself leaves nothing pending either.
    seen.events.clear();
    OpenAndSettle();
    const int purges = fake.PurgeCalls(PURGE_RXABORT | PURGE_RXCLEAR);
    fake.FailPendingRead(ERROR_GEN_FAILURE);
    ASSERT_TRUE(PumpUntil([&] { return fake.PurgeCalls(PURGE_RXABORT | PURGE_RXCLEAR) > purges; }));
    comm.ClosePort();
    EXPECT_EQ(fake.CompletionsAtClose(), 0);
    EXPECT_EQ(fake.CompletionsAfterTheirThreadEnded(), 0);
}

TEST_F(CommFault, AfterAWriterFaultNoRequestIsAcceptedThatWouldBeLost) {
    OpenAndSettle();
    // The writer is held just after its fault, with its queue still there.
    fake.HoldOutputPurge(true);
    fake.FailNextWrite(ERROR_GEN_FAILURE);
    ASSERT_TRUE(comm.SendData("Aa", 2));
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("hangup") == 1; }));
    EXPECT_FALSE(comm.SendData("Da", 2)) << "a writer that reported its fault takes no more";
    fake.HoldOutputPurge(false);
    comm.ClosePort();
    EXPECT_EQ(fake.BlocksLive(), 0);

    // Sends that race the writer's end: each accepted one is written or freed.
    int accepted = 0;
    for (int cycle = 0; cycle < 200; ++cycle) {
        comm.OpenPort();
        ASSERT_NE(comm.PortHandle(), nullptr);
        fake.FailNextWrite(ERROR_GEN_FAILURE);
        ASSERT_TRUE(comm.SendData("Aa", 2));
        for (int i = 0; i < 100000 && comm.SendData("x", 1); ++i)
            ++accepted;
        comm.ClosePort();
        ASSERT_EQ(fake.BlocksLive(), 0) << "cycle " << cycle << ", " << accepted << " accepted";
    }
}

TEST_F(CommFault, NothingFromAClosedPortIsDeliveredAndItsBlocksAreFreed) {
    OpenAndSettle();
    fake.Receive("CA");
    fake.RaiseLineEvent(EV_RING);
    // Posted, not yet delivered, when the port closes.
    ASSERT_TRUE(WaitUndispatched([&] {
        return fake.PostsTried(MsgReceiveData) == 2 && fake.PostsTried(MsgModemStateChange) == 1;
    }));
    comm.ClosePort();
    DispatchQueued();
    EXPECT_EQ(seen.Joined(), "empty");
    EXPECT_EQ(fake.BlocksAllocated(), 2);
    EXPECT_EQ(fake.BlocksLive(), 0);
    // The next port starts clean.
    seen.events.clear();
    OpenAndSettle();
    fake.Receive("R");
    ASSERT_TRUE(PumpUntil([&] { return seen.Count("data:R") == 1; }));
    EXPECT_EQ(seen.Count("data:C") + seen.Count("data:A") + seen.Count("modem:4"), 0);
}

TEST_F(CommFault, SendRightAfterOpenIsNeverRefused) {
    for (int i = 0; i < 100; ++i) {
        comm.OpenPort();
        ASSERT_TRUE(comm.SendData("CA", 2)) << "cycle " << i;
        comm.ClosePort();
    }
}

TEST(CommLifetime, DestroyingTheComponentFreesTheBlocksStillQueuedForIt) {
    FakeSerial fake;
    {
        TComm comm(nullptr);
        comm.SetPlatform(fake);
        comm.OpenPort();
        fake.Receive("CA");
        ASSERT_TRUE(WaitUndispatched([&] { return fake.PostsTried(MsgReceiveData) == 2; }));
    }
    EXPECT_EQ(fake.BlocksAllocated(), 2);
    EXPECT_EQ(fake.BlocksLive(), 0);
    EXPECT_EQ(fake.CompletionsAfterTheirThreadEnded(), 0);
    DispatchQueued();
}

TEST(CommLifetime, DestroyingAnOpenComponentClosesItsPortFirst) {
    FakeSerial fake;
    {
        TComm comm(nullptr);
        comm.SetPlatform(fake);
        comm.OpenPort();
        ASSERT_TRUE(fake.PortOpen());
    }
    EXPECT_FALSE(fake.PortOpen());
    EXPECT_EQ(fake.PurgeCalls(PURGE_RXABORT | PURGE_RXCLEAR), 2)
        << "the reader was stopped: the close's input purge and the reader's own";
}

TEST(CommSetters, DefaultsAndRules) {
    TComm comm(nullptr);
    EXPECT_EQ(comm.CommName(), "COM1");
    EXPECT_EQ(comm.CommPort(), 1);
    EXPECT_EQ(comm.BaudRate(), 9600u);
    EXPECT_EQ(comm.InputLen(), 1);
    EXPECT_EQ(comm.InBufferSize(), 2048);
    EXPECT_EQ(comm.ReadIntervalTimeout(), 100u);
    EXPECT_EQ(comm.DtrControl(), TDtrControl::DtrDisable);
    EXPECT_EQ(comm.RtsControl(), TRtsControl::RtsDisable);
    EXPECT_FALSE(comm.PortOpen());

    comm.SetCommPort(0);
    EXPECT_EQ(comm.CommName(), "COM1");
    comm.SetCommPort(12);
    EXPECT_EQ(comm.CommName(), "COM12");
    comm.SetCommName("COM3");
    comm.SetCommPort(12); // unchanged number: ignored, the name stays
    EXPECT_EQ(comm.CommName(), "COM3");

    comm.SetInputLen(0);
    EXPECT_EQ(comm.InputLen(), 2048);
    comm.SetInputLen(4096);
    EXPECT_EQ(comm.InputLen(), 2048);
    comm.SetInputLen(16);
    comm.SetInBufferSize(0);
    EXPECT_EQ(comm.InBufferSize(), 1);
    EXPECT_EQ(comm.InputLen(), 1) << "a read must never ask for more than the buffer holds";
    comm.SetInBufferSize(64);
    EXPECT_EQ(comm.InputLen(), 1);
}

} // namespace

namespace {

TEST(CommProperties, ReadAndWrittenByNameAsAStoredDescriptionDoes) {
    TComm comm(nullptr);
    SetPropText(comm, L"DtrControl", L"DtrEnable");
    SetPropText(comm, L"RtsControl", L"RtsEnable");
    SetPropText(comm, L"Outx_XonXoffFlow", L"True");
    SetPropText(comm, L"CommName", L"COM7");
    SetPropText(comm, L"XonChar", L"#17");
    EXPECT_EQ(comm.DtrControl(), TDtrControl::DtrEnable);
    EXPECT_EQ(comm.RtsControl(), TRtsControl::RtsEnable);
    EXPECT_TRUE(comm.Outx_XonXoffFlow());
    EXPECT_EQ(comm.CommName(), "COM7");
    EXPECT_EQ(comm.XonChar(), 0x11);
    EXPECT_EQ(GetPropText(comm, L"StopBits"), L"_1");
    EXPECT_EQ(GetPropText(comm, L"InBufferSize"), L"2048");
    EXPECT_EQ(GetPropText(comm, L"PortOpen"), L"False");
    EXPECT_EQ(GetPropText(comm, L"Caption"), L"") << "a property TComm does not have";
    EXPECT_THROW(SetPropText(comm, L"Parity", L"Sometimes"), Exception);
    EXPECT_THROW(SetPropText(comm, L"CommPortCount", L"3"), Exception) << "read-only";
}

} // namespace
