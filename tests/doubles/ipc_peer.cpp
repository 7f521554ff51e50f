// The other end of the DDE message channel for the Wine tests: a separate
// process that serves, connects or acts as a child as its arguments say.
//
//   ipc_peer READY server NAME            serve NAME
//   ipc_peer READY client SERVICE TOPIC [TEXT...] [--wait]
//                                         connect, send each TEXT as a command
//                                         message, then end (or serve with --wait)
//   ipc_peer READY child PARENT NUMBER    connect to PARENT as child NUMBER
//   ipc_peer READY raw SERVICE TOPIC execute|poke:ITEM TEXT|#COUNT
//                                         one transaction through a DDEML
//                                         instance of its own; #COUNT sends
//                                         COUNT bytes 'r' without a zero
//
// READY names an event that is set once the peer is set up. Serving means
// taking up inbound messages for at most 15 s (then the exit code is 97).
// Named commands it understands:
//   exit CODE   tell a parent "ipm_child_terminated CODE", stop DDE, end with CODE
//   drop        stop DDE without a word to a parent and end with 0
//   data TEXT   send TEXT as a data message to the partner
//   send TEXT   send TEXT as a command message to the partner
// A server ends with 100 + code when a child of it terminates.
//
// Exit codes: 0 done, 2 service not registered, 3 no connection, 4 send
// failed, 5 child state wrong, 6 refused as busy, 7 other DDE failure,
// 8 bad arguments, 97 time-out.
#include <windows.h>
#include <ddeml.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "klib/win/dde.h"
#include "klib/win/frame.h"

namespace {

int g_replySlot = 0;

int FirstUsedSlot() {
    for (int slot = 1; slot <= klib::kMaxConversations; ++slot)
        if (klib::ConversationAt(slot).conv) return slot;
    return 0;
}

int ReplySlot() { return g_replySlot ? g_replySlot : FirstUsedSlot(); }

bool OnNamed(const char* word, const char* args) {
    std::string arg = args ? args : "";
    if (std::strcmp(word, "exit") == 0) {
        int code = std::atoi(arg.c_str());
        klib::NotifyParentTerminated(code);
        klib::StopMessageService();
        klib::ExitProcessWith(code);
    }
    if (std::strcmp(word, "drop") == 0) {
        klib::StopMessageService();
        klib::ExitProcessWith(0);
    }
    if (std::strcmp(word, "data") == 0) return klib::SendData(ReplySlot(), "%s", arg.c_str());
    if (std::strcmp(word, "send") == 0) return klib::Send(ReplySlot(), "%s", arg.c_str());
    return false;
}

void OnChild(int child, bool terminated, int code, const char* text) {
    if (terminated) {
        klib::StopMessageService();
        klib::ExitProcessWith(100 + code);
    }
}

[[noreturn]] void Serve() {
    klib::SetNamedCommandSink(OnNamed);
    klib::SetChildEventSink(OnChild);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (klib::ProcessPendingMessage()) continue;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    klib::StopMessageService();
    klib::ExitProcessWith(97);
}

HDDEDATA CALLBACK RawCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

// One transaction through a DDEML instance that is not klib's.
int Raw(const char* service, const char* topic, const char* how, const char* what, HANDLE ready) {
    DWORD inst = 0;
    if (DdeInitializeA(&inst, RawCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return 7;
    HSZ hszService = DdeCreateStringHandleA(inst, service, CP_WINANSI);
    HSZ hszTopic = DdeCreateStringHandleA(inst, topic, CP_WINANSI);
    HCONV conv = DdeConnect(inst, hszService, hszTopic, nullptr);
    if (!conv) return 3;
    SetEvent(ready);
    std::vector<BYTE> bytes;
    if (what[0] == '#') bytes.assign(size_t(std::atoi(what + 1)), BYTE('r'));
    else bytes.assign(what, what + std::strlen(what) + 1);
    HDDEDATA r;
    DWORD status = 0;
    if (std::strcmp(how, "execute") == 0) {
        r = DdeClientTransaction(bytes.data(), DWORD(bytes.size()), conv, nullptr, 0, XTYP_EXECUTE, 10000, &status);
    } else if (std::strncmp(how, "poke:", 5) == 0) {
        HSZ item = DdeCreateStringHandleA(inst, how + 5, CP_WINANSI);
        r = DdeClientTransaction(bytes.data(), DWORD(bytes.size()), conv, item, CF_TEXT, XTYP_POKE, 10000, &status);
    } else {
        return 8;
    }
    const UINT error = DdeGetLastError(inst);
    int code = 0;
    if ((status & DDE_FBUSY) || (!r && error == DMLERR_BUSY)) code = 6;
    else if (!r || !(status & DDE_FACK)) code = 7;
    DdeDisconnect(conv);
    DdeUninitialize(inst);
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 8;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    const std::string mode = argv[2];

    // The frame of a real program (module path, base name "ipc_peer"); it
    // sees only the program name.
    int frameArgc = 1;
    char** frameArgv = argv;
    if (!klib::PrepareProcess(GetModuleHandleA(nullptr), SW_HIDE, &frameArgc, &frameArgv)) return 7;

    if (mode == "server" && argc >= 4) {
        if (!klib::StartMessageService(argv[3])) return 7;
        if (!klib::MessageServiceRegistered()) return 2;
        SetEvent(ready);
        Serve();
    }
    if (mode == "client" && argc >= 5) {
        if (!klib::StartMessageService(nullptr)) return 7;
        g_replySlot = klib::Connect(argv[3], argv[4], 0);
        if (!g_replySlot) return 3;
        SetEvent(ready);
        bool wait = false;
        for (int i = 5; i < argc; ++i) {
            if (std::strcmp(argv[i], "--wait") == 0) {
                wait = true;
                continue;
            }
            if (!klib::Send(g_replySlot, "%s", argv[i])) return 4;
        }
        if (wait) Serve();
        klib::StopMessageService();
        return 0;
    }
    if (mode == "child" && argc >= 5) {
        const int number = std::atoi(argv[4]);
        if (!klib::ConnectAsChild(argv[3], number, 1)) return 3;
        g_replySlot = klib::ParentSlot();
        const klib::ChildRecord* parent = klib::Children().At(number);
        if (!g_replySlot || klib::IpcMode() != 1 || !parent || parent->slot != g_replySlot || parent->pid != 0)
            return 5;
        SetEvent(ready);
        Serve();
    }
    if (mode == "raw" && argc >= 7) return Raw(argv[3], argv[4], argv[5], argv[6], ready);
    return 8;
}
