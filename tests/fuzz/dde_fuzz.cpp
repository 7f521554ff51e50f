// libFuzzer target for what other programs send over DDE, and for the
// command line that a second start hands over: the bytes go into the
// inbound message buffer as a command and as a data message; the command is
// interpreted and a named one dispatched to the "load" and "activate"
// commands as the program registers them; the child table takes what a
// child reports. The same bytes, split at zero bytes, are scanned as a
// command line with its modifier texts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture/cmdline.h"
#include "klib/command.h"
#include "klib/ipc.h"

using namespace klib;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "dde_fuzz: %s\n", what);
        std::abort();
    }
}

bool IsSplit(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// What the "load" and "activate" commands were given.
std::string g_argument;
int g_calls = 0;
int Record(k_event* ev, intptr_t) {
    ++g_calls;
    g_argument = ev->Text() ? ev->Text() : "";
    return 1;
}

void SetUpCommands() {
    static k_object app("app");
    static bool done = false;
    if (done) return;
    done = true;
    SetApplicationObject(&app);
    CreateCommand("load", 0, Record);
    CreateCommand("activate", 0, Record);
}

// The text the buffer must hold for the bytes: cut at the first zero and at
// kInboundSize - 1 characters.
std::string Expected(const uint8_t* data, size_t size) {
    size_t n = size < kInboundSize ? size : kInboundSize - 1;
    const void* zero = n ? std::memchr(data, 0, n) : nullptr;
    if (zero) n = size_t(static_cast<const uint8_t*>(zero) - data);
    return std::string(reinterpret_cast<const char*>(data), n);
}

void FuzzMessage(const uint8_t* data, size_t size) {
    InboundBuffer inbound;
    ChildTable children;
    const int slot = 1 + (size ? data[0] % 32 : 0);
    // A child already known on the slot, and one on another slot.
    children.RegisterAt(0, 4321, slot);
    children.RegisterAt(1, 1234, slot % 32 + 1);

    Check(inbound.Store(data, size, kPendingCommand, slot), "buffer busy");
    Check(!inbound.Store("x", 1, kPendingData, slot), "second message taken");
    Check(inbound.Slot() == slot && std::strlen(inbound.Text()) < kInboundSize, "stored text");
    const std::string text = inbound.Take();
    Check(text == Expected(data, size) && !inbound.Busy(), "taken text");

    const IpcCommand c = ParseIpcCommand(text.c_str());
    Check((c.kind == IpcCommandKind::kEmpty) == c.word.empty(), "empty word");
    for (char ch : c.word) Check(!IsSplit(ch) && ch != 0 && !(ch >= 'A' && ch <= 'Z'), "word characters");
    switch (c.kind) {
    case IpcCommandKind::kChildStarted: {
        Check(c.childValid == (c.childPid != 0), "child id");
        Check(c.childService.empty() || (!IsSplit(c.childService.front()) && !IsSplit(c.childService.back())),
              "service name not trimmed");
        if (!c.childValid) break;
        const int child = children.Register(c.childPid, slot);
        Check(child < 0 || (children.FindByPid(c.childPid) == child && children.At(child)->slot == slot),
              "registered child");
        break;
    }
    case IpcCommandKind::kChildTerminated: {
        const int child = children.FindBySlot(slot);
        if (child >= 0) Check(children.MarkTerminated(child, c.code) && children.At(child)->terminated, "child end");
        break;
    }
    case IpcCommandKind::kNamed: {
        Check(c.hasArgument == !c.argument.empty(), "argument flag");
        Check(c.argument.size() <= text.size() &&
                  text.compare(text.size() - c.argument.size(), c.argument.size(), c.argument) == 0,
              "argument is not the end of the text");
        Check(!c.hasArgument || static_cast<unsigned char>(c.argument[0]) > 0x20, "argument begins with a blank");
        // As the program runs a named command: by its name, with the argument.
        k_command* cmd = FindCommandByName(c.word.c_str());
        Check((cmd != nullptr) == (c.word == "load" || c.word == "activate"), "command lookup");
        if (cmd) {
            g_calls = 0;
            cmd->Invoke(c.hasArgument ? c.argument.c_str() : nullptr);
            Check(g_calls == 1 && g_argument == c.argument, "command argument");
        }
        break;
    }
    default:
        break;
    }

    // The same bytes as a data message from the child of the slot.
    Check(inbound.Store(data, size, kPendingData, slot), "buffer busy for data");
    const int child = children.FindBySlot(slot);
    const std::string dataText = inbound.Take();
    if (child >= 0) {
        const std::string before = children.At(child)->latest;
        children.StoreText(child, dataText.c_str());
        const ChildRecord& r = *children.At(child);
        Check(before == r.previous, "previous text");
        Check(std::strlen(r.latest) < kChildTextSize && dataText.compare(0, std::strlen(r.latest), r.latest) == 0,
              "latest text");
    }
}

struct NoActions : gmbx::CmdLineActions {
    int DumpOptions() override { return 0; }
    int ReadOptions() override { return 1; }
    void InitFrom(const char*) override {}
};

bool Within(const char* p, const std::vector<const char*>& argv) {
    for (const char* a : argv)
        if (p >= a && p <= a + std::strlen(a)) return true;
    return false;
}

void FuzzCommandLine(const uint8_t* data, size_t size) {
    // argv[0] and the arguments, split at zero bytes.
    const std::string text = "gmbx.exe" + std::string(1, '\0') + std::string(reinterpret_cast<const char*>(data), size);
    std::vector<const char*> argv;
    for (size_t at = 0; at < text.size() && argv.size() < 64; at += std::strlen(text.c_str() + at) + 1)
        argv.push_back(text.c_str() + at);
    NoActions actions;
    const gmbx::CmdLineScan scan = gmbx::ScanCommandLine(int(argv.size()), argv.data(), size & 1, actions);
    const int argc = int(argv.size());
    for (int index : {scan.quickSaveIndex, scan.captureIndex, scan.printIndex, scan.saveIndex, scan.fileIndex})
        Check(index >= 0 && index < argc, "argument index");
    for (const char* p : {scan.quickSaveArg, scan.captureArg, scan.openFile, scan.printArg, scan.saveArg,
                          scan.saveName, scan.fileArg})
        Check(p == nullptr || Within(p, argv), "argument pointer");
    if (scan.quickSaveArg) gmbx::ParseQuickSave(scan.quickSaveArg);
    if (scan.captureArg) {
        const gmbx::SnapParams snap = gmbx::ParseSnap(scan.captureArg);
        (void)snap;
    }
    if (scan.printArg) {
        const gmbx::PrintParams print = gmbx::ParsePrint(scan.printArg);
        Check(print.scale >= 0, "print scale");
    }
    if (scan.saveArg) gmbx::ParseSave(scan.saveArg);
    if (scan.saveName) {
        const std::string ext = gmbx::ExtensionForSave(scan.saveName);
        Check(!ext.empty() && ext[0] == '.', "extension");
    }
    gmbx::HelpFilePath(argv.back());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpCommands();
    FuzzMessage(data, size);
    FuzzCommandLine(data, size);
    return 0;
}
