// The DDE message channel between two processes: this test process on one
// side, tests/doubles/ipc_peer.exe on the other.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "klib/win/dde.h"
#include "klib/win/frame.h"

namespace klib {
namespace {

constexpr DWORD kWaitMs = 10000;

// Dispatches this thread's messages (the DDE callback runs inside) until the
// condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD ms = kWaitMs) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

std::string BuildDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n);
    size_t slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

// A name no other process uses.
std::string UniqueName(const char* what) {
    static int counter = 0;
    return std::string("gmbxt") + what + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++counter);
}

// ipc_peer.exe, killed at the end of the test if it still runs.
class Peer {
public:
    explicit Peer(const std::string& args) {
        std::string event = UniqueName("ready");
        ready_ = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
        std::string cmd = "\"" + BuildDir() + "\\ipc_peer.exe\" " + event + " " + args;
        std::vector<char> line(cmd.begin(), cmd.end());
        line.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                            &pi_))
            pi_ = {};
    }
    ~Peer() {
        if (pi_.hProcess) {
            if (Running()) {
                TerminateProcess(pi_.hProcess, 99);
                WaitForSingleObject(pi_.hProcess, 5000);
            }
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
        if (ready_) CloseHandle(ready_);
    }
    bool Started() const { return pi_.hProcess != nullptr; }
    DWORD Pid() const { return pi_.dwProcessId; }
    bool Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
    // Set up (true), or ended or timed out first (false).
    bool WaitReady() {
        return PumpUntil([this] { return WaitForSingleObject(ready_, 0) == WAIT_OBJECT_0 || !Running(); }) &&
               WaitForSingleObject(ready_, 0) == WAIT_OBJECT_0;
    }
    // The exit code, or -1 when it still runs after the time.
    int WaitExit(DWORD ms = kWaitMs) {
        if (!pi_.hProcess || !PumpUntil([this] { return !Running(); }, ms)) return -1;
        DWORD code = 0;
        GetExitCodeProcess(pi_.hProcess, &code);
        return int(code);
    }

private:
    HANDLE ready_ = nullptr;
    PROCESS_INFORMATION pi_ = {};
};

struct NamedCall {
    std::string word;
    bool hasArgument;
    std::string argument;
};

struct ChildEvent {
    int child;
    bool terminated;
    int code;
    bool hasText;
    std::string text;
};

std::vector<NamedCall> g_named;
std::vector<ChildEvent> g_events;

bool RecordNamed(const char* word, const char* args) {
    g_named.push_back({word, args != nullptr, args ? args : ""});
    return std::strcmp(word, "activate") == 0 || std::strcmp(word, "load") == 0;
}

void RecordChild(int child, bool terminated, int code, const char* text) {
    g_events.push_back({child, terminated, code, text != nullptr, text ? text : ""});
}

// The slot of the first conversation a partner opened with us.
int PartnerSlot() {
    for (int slot = 1; slot <= kMaxConversations; ++slot)
        if (ConversationAt(slot).conv && ConversationAt(slot).partnerOpened) return slot;
    return 0;
}

int UsedSlots() {
    int n = 0;
    for (int slot = 1; slot <= kMaxConversations; ++slot)
        if (ConversationAt(slot).conv) ++n;
    return n;
}

class DdeTest : public ::testing::Test {
protected:
    void SetUp() override {
        StopMessageService();
        g_named.clear();
        g_events.clear();
        SetNamedCommandSink(RecordNamed);
        SetChildEventSink(RecordChild);
    }
    void TearDown() override {
        StopMessageService();
        SetNamedCommandSink(nullptr);
        SetChildEventSink(nullptr);
    }
    // Starts our service under a fresh name and checks it is registered.
    std::string Serve() {
        std::string name = UniqueName("srv");
        EXPECT_TRUE(StartMessageService(name.c_str()));
        EXPECT_TRUE(MessageServiceRegistered());
        return name;
    }
};

// The debug window of this process, and its text.
struct DebugWindowSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindDebugWindow(HWND w, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char title[64] = "";
    GetWindowTextA(w, title, sizeof title);
    if (pid == GetCurrentProcessId() && std::strcmp(title, "Gmbx32 Debug") == 0) {
        reinterpret_cast<DebugWindowSearch*>(lp)->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND DebugWindow() {
    DebugWindowSearch s;
    EnumWindows(FindDebugWindow, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string DebugText() {
    HWND edit = FindWindowExA(DebugWindow(), nullptr, "EDIT", nullptr);
    if (!edit) return "";
    std::vector<char> buf(size_t(GetWindowTextLengthA(edit)) + 1);
    GetWindowTextA(edit, buf.data(), int(buf.size()));
    return buf.data();
}

// --- The service ----------------------------------------------------------

TEST_F(DdeTest, ServiceRegistersWhenNoneAnswers) {
    EXPECT_FALSE(MessageServiceStarted());
    std::string name = Serve();
    EXPECT_TRUE(MessageServiceStarted());
    EXPECT_STREQ(OwnServiceName(), name.c_str());
    StopMessageService();
    EXPECT_FALSE(MessageServiceStarted());
    EXPECT_FALSE(MessageServiceRegistered());
}

TEST_F(DdeTest, ClientOnlyServiceRegistersNothing) {
    ASSERT_TRUE(StartMessageService(nullptr));
    EXPECT_TRUE(MessageServiceStarted());
    EXPECT_FALSE(MessageServiceRegistered());
    // Asked to serve later, it can.
    std::string name = UniqueName("late");
    ASSERT_TRUE(StartMessageService(name.c_str()));
    EXPECT_TRUE(MessageServiceRegistered());
}

TEST_F(DdeTest, ServiceFoundAlreadyRunningStaysUnregistered) {
    std::string name = UniqueName("first");
    Peer peer("server " + name);
    ASSERT_TRUE(peer.WaitReady());
    ASSERT_TRUE(OpenDebugWindow());
    EXPECT_TRUE(StartMessageService(name.c_str()));
    EXPECT_TRUE(MessageServiceStarted());
    EXPECT_FALSE(MessageServiceRegistered());
    EXPECT_NE(DebugText().find("Found service " + name + " already running\r\n"), std::string::npos) << DebugText();
    SendMessageA(DebugWindow(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(DebugWindowOpen());

    // The running one is the one to talk to: the second start hands over.
    int slot = Connect(name.c_str(), name.c_str(), 0);
    ASSERT_NE(slot, 0);
    EXPECT_FALSE(ConversationAt(slot).partnerOpened);
    EXPECT_TRUE(Send(slot, "exit %d", 0));
    EXPECT_EQ(peer.WaitExit(), 0);

    // Once it is gone, the name is free.
    StopMessageService();
    ASSERT_TRUE(StartMessageService(name.c_str()));
    EXPECT_TRUE(MessageServiceRegistered());
}

TEST_F(DdeTest, ConnectionToNobodyLeavesTheSlotsFree) {
    ASSERT_TRUE(StartMessageService(nullptr));
    EXPECT_EQ(Connect(UniqueName("nobody").c_str(), "topic", 0), 0);
    EXPECT_EQ(Connect(UniqueName("nobody").c_str(), "topic", 5), 0);
    EXPECT_EQ(UsedSlots(), 0);
    EXPECT_EQ(Connect("x", "y", 33), 0);
    EXPECT_EQ(Connect("x", "y", -1), 0);
    EXPECT_FALSE(Send(0, "activate"));
    EXPECT_FALSE(Send(33, "activate"));
    EXPECT_FALSE(Send(1, "activate"));
}

// --- Command messages -----------------------------------------------------

TEST_F(DdeTest, PokedActivateBecomesANamedCommandWithoutArgument) {
    std::string name = Serve();
    Peer peer("client " + name + " " + name + " activate");
    ASSERT_TRUE(peer.Started());
    EXPECT_EQ(peer.WaitExit(), 0);
    ASSERT_TRUE(MessagePending());
    EXPECT_EQ(Inbound().Kind(), kPendingCommand);
    EXPECT_STREQ(Inbound().Text(), "activate");
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_FALSE(MessagePending());
    EXPECT_FALSE(ProcessPendingMessage());
    ASSERT_EQ(g_named.size(), 1u);
    EXPECT_EQ(g_named[0].word, "activate");
    EXPECT_FALSE(g_named[0].hasArgument);
    // The client went away: its slot is free again.
    EXPECT_TRUE(PumpUntil([] { return UsedSlots() == 0; }));
    EXPECT_TRUE(g_events.empty());
}

TEST_F(DdeTest, SecondMessageIsRefusedAsBusyAndArrivesAfterTheFirst) {
    std::string name = Serve();
    unsigned refusedBefore = BusyRefusals();
    Peer peer("client " + name + " " + name + " \"LOAD   c:/My Pictures/a b.bmp\" \"activate \t\"");
    ASSERT_TRUE(PumpUntil([] { return MessagePending(); }));
    int slot = Inbound().Slot();
    EXPECT_TRUE(ConversationAt(slot).partnerOpened);
    // The peer keeps trying while the first message waits.
    PumpFor(700);
    EXPECT_GT(BusyRefusals(), refusedBefore);
    EXPECT_TRUE(peer.Running());
    EXPECT_STREQ(Inbound().Text(), "LOAD   c:/My Pictures/a b.bmp");

    EXPECT_TRUE(ProcessPendingMessage());
    ASSERT_EQ(g_named.size(), 1u);
    EXPECT_EQ(g_named[0].word, "load");
    EXPECT_TRUE(g_named[0].hasArgument);
    EXPECT_EQ(g_named[0].argument, "c:/My Pictures/a b.bmp");

    ASSERT_TRUE(PumpUntil([] { return MessagePending(); }));
    EXPECT_TRUE(ProcessPendingMessage());
    ASSERT_EQ(g_named.size(), 2u);
    EXPECT_EQ(g_named[1].word, "activate");
    EXPECT_FALSE(g_named[1].hasArgument);
    EXPECT_EQ(peer.WaitExit(), 0);
}

TEST_F(DdeTest, UnknownWordIsOfferedAndIgnored) {
    std::string name = Serve();
    Peer peer("raw " + name + " " + name + " execute \"Frobnicate  now\"");
    EXPECT_EQ(peer.WaitExit(), 0);
    ASSERT_TRUE(MessagePending());
    EXPECT_EQ(Inbound().Kind(), kPendingCommand);
    EXPECT_TRUE(ProcessPendingMessage());
    ASSERT_EQ(g_named.size(), 1u);
    EXPECT_EQ(g_named[0].word, "frobnicate");
    EXPECT_EQ(g_named[0].argument, "now");
    EXPECT_TRUE(g_events.empty());
    EXPECT_TRUE(MessageServiceRegistered());
}

TEST_F(DdeTest, OversizedExecuteWithoutZeroIsCut) {
    std::string name = Serve();
    Peer peer("raw " + name + " " + name + " execute #3000");
    EXPECT_EQ(peer.WaitExit(), 0);
    ASSERT_TRUE(MessagePending());
    EXPECT_EQ(std::strlen(Inbound().Text()), kInboundSize - 1);
    EXPECT_TRUE(ProcessPendingMessage());
    ASSERT_EQ(g_named.size(), 1u);
    EXPECT_EQ(g_named[0].word, std::string(kInboundSize - 1, 'r'));
    EXPECT_FALSE(g_named[0].hasArgument);
}

TEST_F(DdeTest, EmptyPokeIsAnEmptyCommand) {
    std::string name = Serve();
    Peer peer("raw " + name + " " + name + " poke:command #0");
    EXPECT_EQ(peer.WaitExit(), 0);
    ASSERT_TRUE(MessagePending());
    EXPECT_STREQ(Inbound().Text(), "");
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_TRUE(g_named.empty());
}

TEST_F(DdeTest, DataFromAConversationWithoutChildGoesNowhere) {
    std::string name = Serve();
    Peer peer("raw " + name + " " + name + " poke:data \"some data\"");
    EXPECT_EQ(peer.WaitExit(), 0);
    ASSERT_TRUE(MessagePending());
    EXPECT_EQ(Inbound().Kind(), kPendingData);
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_TRUE(g_events.empty());
    EXPECT_TRUE(g_named.empty());
}

TEST_F(DdeTest, OtherItemsAreRefused) {
    std::string name = Serve();
    Peer peer("raw " + name + " " + name + " poke:status hello");
    EXPECT_EQ(peer.WaitExit(), 7);
    EXPECT_FALSE(MessagePending());
}

TEST_F(DdeTest, BusyAnswerReachesARawSender) {
    std::string name = Serve();
    Peer first("raw " + name + " " + name + " execute first");
    EXPECT_EQ(first.WaitExit(), 0);
    ASSERT_TRUE(MessagePending());
    Peer second("raw " + name + " " + name + " execute second");
    EXPECT_EQ(second.WaitExit(), 6);
    EXPECT_STREQ(Inbound().Text(), "first");
}

// --- ipm_terminate ---------------------------------------------------------

TEST_F(DdeTest, TerminateWithoutNumberEndsTheClientWithOne) {
    std::string name = Serve();
    Peer peer("client " + name + " " + name + " --wait");
    ASSERT_TRUE(peer.WaitReady());
    int slot = PartnerSlot();
    ASSERT_NE(slot, 0);
    // We serve this conversation: the text goes out as an advise.
    EXPECT_TRUE(Send(slot, "ipm_terminate"));
    EXPECT_EQ(peer.WaitExit(), 1);
}

TEST_F(DdeTest, TerminateWithNumberEndsTheServerWithIt) {
    std::string name = UniqueName("term");
    Peer peer("server " + name);
    ASSERT_TRUE(peer.WaitReady());
    int slot = Connect(name.c_str(), name.c_str(), 4);
    ASSERT_EQ(slot, 4);
    EXPECT_TRUE(Send(slot, "IPM_TERMINATE %d", 42));
    EXPECT_EQ(peer.WaitExit(), 42);
}

// --- Children ---------------------------------------------------------------

// Starts a child peer, takes up its start message and returns its number.
int StartChild(Peer& peer, const std::string& parent, int* slot) {
    if (!peer.WaitReady()) return -1;
    if (!PumpUntil([] { return MessagePending(); })) return -1;
    *slot = Inbound().Slot();
    ProcessPendingMessage();
    return Children().FindByPid(peer.Pid());
}

TEST_F(DdeTest, ChildStartsSendsDataAndTerminatesWithItsCode) {
    std::string name = Serve();
    Peer peer("child " + name + " 3");
    int slot = 0;
    int child = StartChild(peer, name, &slot);
    ASSERT_GE(child, 0);
    const ChildRecord* rec = Children().At(child);
    EXPECT_EQ(rec->slot, slot);
    EXPECT_FALSE(rec->terminated);
    EXPECT_TRUE(ConversationAt(slot).partnerOpened);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].child, child);
    EXPECT_FALSE(g_events[0].terminated);
    EXPECT_EQ(g_events[0].text, "ipm_child_started ipc_peer, " + std::to_string(peer.Pid()));

    // Data from the child: its latest text and an event.
    EXPECT_TRUE(Send(slot, "data hello there"));
    ASSERT_TRUE(PumpUntil([] { return MessagePending(); }));
    EXPECT_EQ(Inbound().Kind(), kPendingData);
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_STREQ(rec->latest, "hello there");
    ASSERT_EQ(g_events.size(), 2u);
    EXPECT_FALSE(g_events[1].terminated);
    EXPECT_EQ(g_events[1].text, "hello there");

    // It says goodbye and leaves: the code is its own, not 7.
    EXPECT_TRUE(Send(slot, "exit 5"));
    EXPECT_EQ(peer.WaitExit(), 5);
    PumpUntil([] { return UsedSlots() == 0; });
    ASSERT_TRUE(MessagePending());
    EXPECT_TRUE(ProcessPendingMessage());
    EXPECT_TRUE(rec->terminated);
    EXPECT_EQ(rec->exitCode, 5);
    ASSERT_EQ(g_events.size(), 3u);
    EXPECT_EQ(g_events[2].child, child);
    EXPECT_TRUE(g_events[2].terminated);
    EXPECT_EQ(g_events[2].code, 5);
    EXPECT_FALSE(g_events[2].hasText);
    EXPECT_TRUE(g_named.empty());
}

TEST_F(DdeTest, ChildDroppedWithoutAWordIsTerminatedWithSeven) {
    std::string name = Serve();
    Peer peer("child " + name + " 0");
    int slot = 0;
    int child = StartChild(peer, name, &slot);
    ASSERT_GE(child, 0);
    g_events.clear();
    EXPECT_TRUE(Send(slot, "drop"));
    EXPECT_EQ(peer.WaitExit(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !g_events.empty(); }));
    EXPECT_EQ(UsedSlots(), 0);
    EXPECT_FALSE(MessagePending());
    const ChildRecord* rec = Children().At(child);
    EXPECT_TRUE(rec->terminated);
    EXPECT_EQ(rec->exitCode, 7);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].child, child);
    EXPECT_TRUE(g_events[0].terminated);
    EXPECT_EQ(g_events[0].code, 7);
}

TEST_F(DdeTest, ThisProcessAsAChild) {
    std::string parent = UniqueName("parent");
    Peer peer("server " + parent);
    ASSERT_TRUE(peer.WaitReady());
    // Our own service name is the topic of the conversation.
    std::string own = UniqueName("kid");
    ASSERT_TRUE(StartMessageService(own.c_str()));
    ASSERT_TRUE(ConnectAsChild(parent.c_str(), 6, 2));
    int slot = ParentSlot();
    ASSERT_NE(slot, 0);
    EXPECT_EQ(IpcMode(), 2);
    EXPECT_FALSE(ConversationAt(slot).partnerOpened);
    const ChildRecord* rec = Children().At(6);
    EXPECT_EQ(rec->slot, slot);
    EXPECT_EQ(rec->pid, 0u);
    // The parent ends with 100 + the code when its child reports its end,
    // which it can only match to a registered child.
    NotifyParentTerminated(3);
    EXPECT_EQ(peer.WaitExit(), 103);
}

TEST_F(DdeTest, ConnectAsChildWithoutParentFails) {
    std::string own = UniqueName("orphan");
    ASSERT_TRUE(StartMessageService(own.c_str()));
    int modeBefore = IpcMode();
    EXPECT_FALSE(ConnectAsChild(UniqueName("noparent").c_str(), 1, 1));
    EXPECT_FALSE(ConnectAsChild(nullptr, 1, 1));
    EXPECT_EQ(ParentSlot(), 0);
    EXPECT_EQ(IpcMode(), modeBefore);
    EXPECT_EQ(UsedSlots(), 0);
    NotifyParentTerminated(1);  // nobody to tell: nothing happens
}

}  // namespace
}  // namespace klib
