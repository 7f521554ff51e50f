// Inter-process messages of klib over DDE.
#include "klib/win/dde.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "klib/win/frame.h"

namespace klib {
namespace {

constexpr DWORD kAdviseTimeoutMs = 1000;
constexpr DWORD kPokeTimeoutMs = 10000;
constexpr DWORD kSendGiveUpMs = 60000;
constexpr DWORD kBusyRetryPauseMs = 10;

DWORD g_inst = 0;
bool g_clientOnly = false;
bool g_registered = false;
std::string g_serviceName;
HSZ g_hszService = nullptr;
HSZ g_hszData = nullptr;
HSZ g_hszCommand = nullptr;

Conversation g_slots[kMaxConversations];
int g_parentSlot = 0;
int g_ipcMode = -1;

InboundBuffer g_inbound;
unsigned g_busyRefusals = 0;
char g_outbound[kInboundSize] = {};

ChildTable g_children;
NamedCommandSink g_namedSink = nullptr;
ChildEventSink g_childSink = nullptr;

bool ValidSlot(int slot) { return slot >= 1 && slot <= kMaxConversations; }

// The first free slot. The slot of a message still waiting to be taken up
// is not handed out again: the message must find the old conversation's
// child behind it.
int FirstFreeSlot() {
    for (int i = 0; i < kMaxConversations; ++i)
        if (!g_slots[i].conv && !(g_inbound.Busy() && g_inbound.Slot() == i + 1)) return i + 1;
    return 0;
}

// Puts a conversation into a free slot. Children still recorded with the
// slot belonged to an earlier conversation in it and lose it.
void TakeSlot(int slot, HCONV conv, HSZ service, HSZ topic, bool partnerOpened) {
    g_children.DetachSlot(slot);
    Conversation& c = g_slots[slot - 1];
    c.conv = conv;
    c.service = service;
    c.topic = topic;
    c.partnerOpened = partnerOpened;
}

void FreeHsz(HSZ& h) {
    if (h && g_inst) DdeFreeStringHandle(g_inst, h);
    h = nullptr;
}

// Empties the slot. The entry is cleared before the conversation is closed:
// closing runs a modal loop in which the callback may use the table.
void ReleaseSlot(int slot, bool closeConversation) {
    Conversation c = g_slots[slot - 1];
    g_slots[slot - 1] = Conversation();
    if (slot == g_parentSlot) g_parentSlot = 0;
    if (closeConversation && c.conv) DdeDisconnect(c.conv);
    FreeHsz(c.service);
    FreeHsz(c.topic);
}

bool SameHsz(HSZ a, HSZ b) { return a && b && DdeCmpStringHandles(a, b) == 0; }

void RaiseChildEvent(int child, bool terminated, int code, const char* text) {
    if (g_childSink) g_childSink(child, terminated, code, text);
}

HDDEDATA Receive(UINT type, HCONV conv, HSZ item, HDDEDATA data) {
    int slot = SlotOf(conv);
    if (!slot) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    PendingKind kind;
    if (type == XTYP_EXECUTE || SameHsz(item, g_hszCommand)) kind = kPendingCommand;
    else if (SameHsz(item, g_hszData)) kind = kPendingData;
    else return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
    if (g_inbound.Busy()) {
        ++g_busyRefusals;
        return reinterpret_cast<HDDEDATA>(DDE_FBUSY);
    }
    char* dst = g_inbound.BeginReceive(slot);
    DWORD got = data ? DdeGetData(data, reinterpret_cast<LPBYTE>(dst), kInboundSize, 0) : 0;
    g_inbound.FinishReceive(got, kind);
    return reinterpret_cast<HDDEDATA>(DDE_FACK);
}

void OnPartnerDisconnected(HCONV conv) {
    int slot = SlotOf(conv);
    if (!slot) return;
    ReleaseSlot(slot, false);
    // A child that said goodbye first is marked when that message is taken
    // up; one that went without a word ended abnormally.
    if (g_inbound.Kind() == kPendingCommand && g_inbound.Slot() == slot &&
        ParseIpcCommand(g_inbound.Text()).kind == IpcCommandKind::kChildTerminated)
        return;
    int child = g_children.FindBySlot(slot);
    if (child < 0 || g_children.At(child)->terminated) return;
    g_children.MarkTerminated(child, 7);
    RaiseChildEvent(child, true, 7, nullptr);
}

HDDEDATA CALLBACK DdeCallback(UINT type, UINT format, HCONV conv, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                              ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT:
        // hsz1 topic, hsz2 service: only our own registered service, and
        // only while a slot is free for the conversation.
        return reinterpret_cast<HDDEDATA>(
            static_cast<UINT_PTR>(g_registered && SameHsz(hsz2, g_hszService) && FirstFreeSlot() != 0));
    case XTYP_CONNECT_CONFIRM: {
        int slot = FirstFreeSlot();
        if (!slot) {
            DdeDisconnect(conv);
            return nullptr;
        }
        DdeKeepStringHandle(g_inst, hsz2);
        DdeKeepStringHandle(g_inst, hsz1);
        TakeSlot(slot, conv, hsz2, hsz1, true);
        return nullptr;
    }
    case XTYP_ADVSTART:
        return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(
            SlotOf(conv) != 0 && format == CF_TEXT && (SameHsz(hsz2, g_hszData) || SameHsz(hsz2, g_hszCommand))));
    case XTYP_ADVREQ:
        return DdeCreateDataHandle(g_inst, reinterpret_cast<LPBYTE>(g_outbound),
                                   static_cast<DWORD>(std::strlen(g_outbound) + 1), 0, hsz2, CF_TEXT, 0);
    case XTYP_ADVDATA:
    case XTYP_POKE:
    case XTYP_EXECUTE:
        return Receive(type, conv, hsz2, data);
    case XTYP_DISCONNECT:
        OnPartnerDisconnected(conv);
        return nullptr;
    default:
        return nullptr;
    }
}

// Ends DDE: conversations, service name, string handles, instance.
void Shutdown() {
    if (!g_inst) return;
    for (int slot = 1; slot <= kMaxConversations; ++slot)
        if (g_slots[slot - 1].conv || g_slots[slot - 1].service || g_slots[slot - 1].topic) ReleaseSlot(slot, true);
    if (g_registered) DdeNameService(g_inst, g_hszService, nullptr, DNS_UNREGISTER);
    g_registered = false;
    FreeHsz(g_hszService);
    FreeHsz(g_hszData);
    FreeHsz(g_hszCommand);
    DdeUninitialize(g_inst);
    g_inst = 0;
    g_clientOnly = false;
    g_parentSlot = 0;
    g_inbound.Clear();
}

// Starts DDE unless it runs. A client-only instance is restarted when a
// serving one is asked for.
bool EnsureStarted(bool clientOnly) {
    if (g_inst) {
        if (clientOnly || !g_clientOnly) return true;
        Shutdown();
    }
    DWORD inst = 0;
    DWORD flags = APPCLASS_STANDARD | CBF_FAIL_SELFCONNECTIONS | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS;
    if (clientOnly) flags |= APPCMD_CLIENTONLY;
    if (DdeInitializeA(&inst, DdeCallback, flags, 0) != DMLERR_NO_ERROR) return false;
    g_inst = inst;
    g_clientOnly = clientOnly;
    g_hszData = DdeCreateStringHandleA(g_inst, "data", CP_WINANSI);
    g_hszCommand = DdeCreateStringHandleA(g_inst, "command", CP_WINANSI);
    if (!g_hszData || !g_hszCommand) {
        Shutdown();
        return false;
    }
    return true;
}

bool SendOn(HSZ* item, int slot, const char* format, va_list ap) {
    if (!g_inst || !ValidSlot(slot) || !g_slots[slot - 1].conv || !format) return false;
    int n = std::vsnprintf(g_outbound, sizeof g_outbound, format, ap);
    if (n < 0) g_outbound[0] = '\0';
    const Conversation& c = g_slots[slot - 1];
    if (c.partnerOpened) return DdePostAdvise(g_inst, c.topic, *item) != FALSE;

    // The poke runs a modal loop; the callback may meanwhile change the
    // outbound buffer or close the conversation, so both are kept here.
    std::string text = g_outbound;
    HCONV conv = c.conv;
    DWORD start = GetTickCount();
    for (;;) {
        // The partner's acknowledgement flags arrive in the status word; a
        // busy partner shows either there or as the transaction's error,
        // depending on the DDEML at hand. A status that is never written
        // counts as acknowledged.
        DWORD status = DDE_FACK;
        HDDEDATA r = DdeClientTransaction(reinterpret_cast<LPBYTE>(&text[0]), static_cast<DWORD>(text.size() + 1),
                                          conv, *item, CF_TEXT, XTYP_POKE, kPokeTimeoutMs, &status);
        UINT error = DdeGetLastError(g_inst);
        bool retry = r ? (LOWORD(status) & DDE_FBUSY) != 0 : (error == DMLERR_BUSY || error == DMLERR_POKEACKTIMEOUT);
        if (!retry) return r && (LOWORD(status) & DDE_FACK);
        if (g_slots[slot - 1].conv != conv || GetTickCount() - start >= kSendGiveUpMs) return false;
        Sleep(kBusyRetryPauseMs);
    }
}

}  // namespace

bool StartMessageService(const char* name) {
    if (!name) return EnsureStarted(true);
    if (!EnsureStarted(false)) return false;
    if (g_registered) {
        if (g_serviceName == name) return true;
        DdeNameService(g_inst, g_hszService, nullptr, DNS_UNREGISTER);
        g_registered = false;
    }
    FreeHsz(g_hszService);
    g_serviceName = name;
    g_hszService = DdeCreateStringHandleA(g_inst, name, CP_WINANSI);
    if (!g_hszService) return true;
    // Another process serving the name answers on the topic of that name.
    HCONV other = DdeConnect(g_inst, g_hszService, g_hszService, nullptr);
    if (other) {
        DdeDisconnect(other);
        DebugWrite("Found service %s already running\n", name);
        return true;
    }
    if (DdeNameService(g_inst, g_hszService, nullptr, DNS_REGISTER)) g_registered = true;
    else DebugWrite("DDE service %s could not be registered\n", name);
    return true;
}

bool MessageServiceStarted() { return g_inst != 0; }
bool MessageServiceRegistered() { return g_registered; }

const char* OwnServiceName() { return g_serviceName.empty() ? BaseName().c_str() : g_serviceName.c_str(); }

void StopMessageService() {
    Shutdown();
    g_serviceName.clear();
}

int Connect(const char* service, const char* topic, int slot) {
    if (!service || !topic || slot < 0 || slot > kMaxConversations) return 0;
    if (!EnsureStarted(true)) return 0;
    if (slot && g_slots[slot - 1].conv) ReleaseSlot(slot, true);
    HSZ hszService = DdeCreateStringHandleA(g_inst, service, CP_WINANSI);
    HSZ hszTopic = DdeCreateStringHandleA(g_inst, topic, CP_WINANSI);
    HCONV conv = (hszService && hszTopic) ? DdeConnect(g_inst, hszService, hszTopic, nullptr) : nullptr;
    if (!conv) {
        FreeHsz(hszService);
        FreeHsz(hszTopic);
        return 0;
    }
    // Connecting dispatched messages: the table may have changed meanwhile.
    if (!slot) slot = FirstFreeSlot();
    else if (g_slots[slot - 1].conv) ReleaseSlot(slot, true);
    if (!slot) {
        DdeDisconnect(conv);
        FreeHsz(hszService);
        FreeHsz(hszTopic);
        return 0;
    }
    TakeSlot(slot, conv, hszService, hszTopic, false);
    for (HSZ item : {g_hszData, g_hszCommand}) {
        if (!DdeClientTransaction(nullptr, 0, conv, item, CF_TEXT, XTYP_ADVSTART, kAdviseTimeoutMs, nullptr))
            DebugWrite("Advise loop on \"%s\" with %s not started\n", item == g_hszData ? "data" : "command", service);
    }
    // The advise requests ran modal loops as well.
    return g_slots[slot - 1].conv == conv ? slot : 0;
}

int ConnectToParent(const char* service, int slot) { return Connect(service, OwnServiceName(), slot); }

void Disconnect(int slot) {
    if (!g_inst || !ValidSlot(slot) || !g_slots[slot - 1].conv) return;
    ReleaseSlot(slot, true);
}

bool Send(int slot, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    bool ok = SendOn(&g_hszCommand, slot, format, ap);
    va_end(ap);
    return ok;
}

bool SendData(int slot, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    bool ok = SendOn(&g_hszData, slot, format, ap);
    va_end(ap);
    return ok;
}

const Conversation& ConversationAt(int slot) {
    static const Conversation kFree;
    return ValidSlot(slot) ? g_slots[slot - 1] : kFree;
}

int SlotOf(HCONV conv) {
    if (!conv) return 0;
    for (int i = 0; i < kMaxConversations; ++i)
        if (g_slots[i].conv == conv) return i + 1;
    return 0;
}

bool MessagePending() { return g_inbound.Pending(); }
const InboundBuffer& Inbound() { return g_inbound; }
unsigned BusyRefusals() { return g_busyRefusals; }

bool ProcessPendingMessage() {
    if (!g_inbound.Pending()) return false;
    const int kind = g_inbound.Kind();
    const int slot = g_inbound.Slot();
    // Taken out first: what runs below may pump messages and let the next
    // one in.
    const std::string text = g_inbound.Take();
    if (kind == kPendingData) {
        int child = g_children.FindBySlot(slot);
        if (child >= 0) {
            g_children.StoreText(child, text.c_str());
            RaiseChildEvent(child, false, 0, text.c_str());
        }
        return true;
    }
    IpcCommand command = ParseIpcCommand(text.c_str());
    switch (command.kind) {
    case IpcCommandKind::kTerminate:
        ExitProcessWith(command.code);
    case IpcCommandKind::kChildStarted: {
        if (!command.childValid) {
            DebugWrite("Malformed child start message ignored: %.200s\n", text.c_str());
            break;
        }
        int child = g_children.Register(command.childPid, slot);
        if (child >= 0) RaiseChildEvent(child, false, 0, text.c_str());
        else DebugWrite("No room for child %lu\n", static_cast<unsigned long>(command.childPid));
        break;
    }
    case IpcCommandKind::kChildTerminated: {
        int child = g_children.FindBySlot(slot);
        if (child >= 0) {
            g_children.MarkTerminated(child, command.code);
            RaiseChildEvent(child, true, command.code, nullptr);
        }
        break;
    }
    case IpcCommandKind::kNamed:
        if (g_namedSink) g_namedSink(command.word.c_str(), command.hasArgument ? command.argument.c_str() : nullptr);
        break;
    case IpcCommandKind::kEmpty:
        break;
    }
    return true;
}

void SetNamedCommandSink(NamedCommandSink sink) { g_namedSink = sink; }
void SetChildEventSink(ChildEventSink sink) { g_childSink = sink; }

bool ConnectAsChild(const char* parentService, int childNumber, int ipcMode) {
    if (!parentService) return false;
    if (!g_inst && !EnsureStarted(false)) return false;
    int slot = ConnectToParent(parentService, 0);
    if (!slot) return false;
    g_parentSlot = slot;
    g_ipcMode = ipcMode;
    if (!g_children.RegisterAt(childNumber, 0, slot)) DebugWrite("Child number %d out of range\n", childNumber);
    return Send(slot, "ipm_child_started %s, %lu", OwnServiceName(), static_cast<unsigned long>(GetCurrentProcessId()));
}

void NotifyParentTerminated(int code) {
    if (g_parentSlot && g_slots[g_parentSlot - 1].conv) Send(g_parentSlot, "ipm_child_terminated %d", code);
}

int ParentSlot() { return g_parentSlot; }
int IpcMode() { return g_ipcMode; }
const ChildTable& Children() { return g_children; }

}  // namespace klib
