// Inter-process messages of klib: inbound buffer, command messages, child table.
#include "klib/ipc.h"

#include "klib/decimal.h"

#include <climits>
#include <cstring>

namespace klib {

namespace {

bool IsSplit(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Blanks and control characters, as skipped before a command's argument.
bool IsBlankOrControl(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u <= 0x20 || u == 0x7F;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

const char* SkipSplit(const char* p) {
    while (*p && IsSplit(*p)) ++p;
    return p;
}

const char* WordEnd(const char* p) {
    while (*p && !IsSplit(*p)) ++p;
    return p;
}

// The code given by the word after the command word, or the default.
int CodeAfter(const char* rest, int fallback) {
    const char* p = SkipSplit(rest);
    int code = fallback;
    if (*p && ReadSignedDecimal(p, &code)) return code;  // a number, saturating
    return fallback;
}

// A process id: only blanks and line ends around decimal digits, 1..2^32-1.
bool ProcessIdOf(const char* begin, const char* end, uint32_t* out) {
    while (begin < end && IsSplit(*begin)) ++begin;
    while (end > begin && IsSplit(end[-1])) --end;
    if (begin == end) return false;
    uint64_t v = 0;
    for (const char* p = begin; p < end; ++p) {
        if (!IsDigit(*p)) return false;
        v = v * 10 + uint64_t(*p - '0');
        if (v > 0xFFFFFFFFull) return false;
    }
    if (v == 0) return false;
    *out = uint32_t(v);
    return true;
}

void CopyCut(char* dst, size_t size, const char* src) {
    size_t n = 0;
    if (src) {
        while (n + 1 < size && src[n]) ++n;
        std::memcpy(dst, src, n);
    }
    dst[n] = '\0';
}

}  // namespace

// --- InboundBuffer ---------------------------------------------------------

char* InboundBuffer::BeginReceive(int slot) {
    if (Busy()) return nullptr;
    kind_ = kPendingReceiving;
    slot_ = slot;
    return text_;
}

void InboundBuffer::FinishReceive(size_t written, PendingKind kind) {
    if (kind_ != kPendingReceiving) return;
    if (kind != kPendingData && kind != kPendingCommand) {
        Clear();
        return;
    }
    size_t n = written < kInboundSize ? written : kInboundSize - 1;
    text_[n] = '\0';
    kind_ = kind;
}

bool InboundBuffer::Store(const void* data, size_t size, PendingKind kind, int slot) {
    char* dst = BeginReceive(slot);
    if (!dst) return false;
    size_t n = size < kInboundSize ? size : kInboundSize - 1;
    if (n) std::memcpy(dst, data, n);
    FinishReceive(n, kind);
    return true;
}

std::string InboundBuffer::Take() {
    std::string text = Pending() ? std::string(text_) : std::string();
    Clear();
    return text;
}

void InboundBuffer::Clear() {
    kind_ = kPendingNone;
    slot_ = 0;
    text_[0] = '\0';
}

// --- Command messages ------------------------------------------------------

IpcCommand ParseIpcCommand(const char* text) {
    IpcCommand c;
    if (!text) return c;
    const char* begin = SkipSplit(text);
    const char* end = WordEnd(begin);
    if (begin == end) return c;
    c.word.reserve(size_t(end - begin));
    for (const char* p = begin; p < end; ++p) c.word += Lower(*p);

    if (c.word == "ipm_terminate") {
        c.kind = IpcCommandKind::kTerminate;
        c.code = CodeAfter(end, 1);
    } else if (c.word == "ipm_child_terminated") {
        c.kind = IpcCommandKind::kChildTerminated;
        c.code = CodeAfter(end, 0);
    } else if (c.word == "ipm_child_started") {
        c.kind = IpcCommandKind::kChildStarted;
        const char* comma = std::strchr(end, ',');
        const char* nameEnd = comma ? comma : end + std::strlen(end);
        const char* name = SkipSplit(end);
        if (name > nameEnd) name = nameEnd;
        while (nameEnd > name && IsSplit(nameEnd[-1])) --nameEnd;
        c.childService.assign(name, nameEnd);
        if (comma) c.childValid = ProcessIdOf(comma + 1, comma + 1 + std::strlen(comma + 1), &c.childPid);
        if (!c.childValid) c.childPid = 0;
    } else {
        c.kind = IpcCommandKind::kNamed;
        const char* arg = end;
        while (*arg && IsBlankOrControl(*arg)) ++arg;
        if (*arg) {
            c.hasArgument = true;
            c.argument = arg;
        }
    }
    return c;
}

// --- Child table -----------------------------------------------------------

int ChildTable::Register(uint32_t pid, int slot) {
    if (pid == 0) return -1;
    for (int i = 0; i < kMaxChildren; ++i) {
        if (records_[i].pid == pid) {
            records_[i].slot = slot;
            return i;
        }
    }
    int chosen = -1;
    for (int i = 0; i < kMaxChildren && chosen < 0; ++i)
        if (records_[i].pid == 0 && records_[i].slot == 0) chosen = i;
    for (int i = 0; i < kMaxChildren && chosen < 0; ++i)
        if (records_[i].pid == 0) chosen = i;
    if (chosen < 0) return -1;
    RegisterAt(chosen, pid, slot);
    return chosen;
}

bool ChildTable::RegisterAt(int number, uint32_t pid, int slot) {
    if (number < 0 || number >= kMaxChildren) return false;
    ChildRecord& r = records_[number];
    r = ChildRecord();
    r.pid = pid;
    r.slot = slot;
    return true;
}

int ChildTable::FindBySlot(int slot) const {
    if (slot == 0) return -1;
    for (int i = 0; i < kMaxChildren; ++i)
        if (records_[i].slot == slot && !records_[i].terminated) return i;
    for (int i = 0; i < kMaxChildren; ++i)
        if (records_[i].slot == slot) return i;
    return -1;
}

int ChildTable::FindByPid(uint32_t pid) const {
    if (pid == 0) return -1;
    for (int i = 0; i < kMaxChildren; ++i)
        if (records_[i].pid == pid) return i;
    return -1;
}

void ChildTable::DetachSlot(int slot) {
    if (slot == 0) return;
    for (ChildRecord& r : records_)
        if (r.slot == slot) r.slot = 0;
}

bool ChildTable::MarkTerminated(int number, int code) {
    if (number < 0 || number >= kMaxChildren) return false;
    records_[number].terminated = true;
    records_[number].exitCode = code;
    return true;
}

bool ChildTable::StoreText(int number, const char* text) {
    if (number < 0 || number >= kMaxChildren) return false;
    ChildRecord& r = records_[number];
    std::memcpy(r.previous, r.latest, sizeof r.previous);
    CopyCut(r.latest, sizeof r.latest, text);
    return true;
}

const ChildRecord* ChildTable::At(int number) const {
    if (number < 0 || number >= kMaxChildren) return nullptr;
    return &records_[number];
}

void ChildTable::Clear() {
    for (ChildRecord& r : records_) r = ChildRecord();
}

}  // namespace klib
