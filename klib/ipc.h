// Inter-process messages of klib, the portable half: the inbound message
// buffer, the interpretation of command messages and the table of child
// processes. No windows.h: the DDE side (klib/win/dde.h) feeds these with
// what arrives from other programs and acts on the results.
//
// Everything here runs on the user-interface thread; nothing locks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace klib {

// ---------------------------------------------------------------------------
// Inbound message buffer

// Size of the inbound buffer; a stored text has at most kInboundSize - 1
// characters and always ends with a zero.
constexpr size_t kInboundSize = 1024;

// What the inbound buffer holds.
enum PendingKind : int {
    kPendingNone = 0,
    kPendingData = 3,       // a data message (item "data")
    kPendingCommand = 4,    // a command message (item "command" or an execute)
    kPendingReceiving = 255 // bytes are being copied in
};

// Holds one inbound message at a time. The bytes come from another process
// and are not trusted: they may lack a terminating zero, be longer than the
// buffer or be empty.
class InboundBuffer {
public:
    // True while a message (or one being received) is held: a new one must
    // then be refused as busy.
    bool Busy() const { return kind_ != kPendingNone; }
    // True when a complete data or command message waits to be taken up.
    bool Pending() const { return kind_ == kPendingData || kind_ == kPendingCommand; }
    int Kind() const { return kind_; }
    int Slot() const { return slot_; }
    // The stored text, always terminated ("" when nothing is held).
    const char* Text() const { return text_; }

    // Two-step receive for callers that copy into the buffer themselves:
    // BeginReceive marks the buffer as being received for the slot and
    // returns kInboundSize writable bytes (null when Busy()); FinishReceive
    // takes the number of bytes written (values above kInboundSize count as
    // kInboundSize), cuts the text at 1023 characters or at its first zero,
    // and makes it a message of the given kind (data or command; anything
    // else empties the buffer).
    char* BeginReceive(int slot);
    void FinishReceive(size_t written, PendingKind kind);

    // One-step receive: copies size bytes (data may be null when size is 0).
    // False, and nothing changes, when the buffer is busy.
    bool Store(const void* data, size_t size, PendingKind kind, int slot);

    // Takes the message out: returns its text and empties the buffer.
    std::string Take();
    void Clear();

private:
    int kind_ = kPendingNone;
    int slot_ = 0;
    char text_[kInboundSize] = {};
};

// ---------------------------------------------------------------------------
// Command messages

enum class IpcCommandKind {
    kEmpty,           // no word at all (empty text, or only blanks and line ends)
    kTerminate,       // "ipm_terminate [code]": end this process
    kChildStarted,    // "ipm_child_started service, pid"
    kChildTerminated, // "ipm_child_terminated [code]"
    kNamed            // any other word: a named command
};

struct IpcCommand {
    IpcCommandKind kind = IpcCommandKind::kEmpty;
    // The first word, lower-cased (ASCII letters only). Its length is only
    // bounded by the text's.
    std::string word;

    // kTerminate and kChildTerminated: the exit code. The word after the
    // command word gives it when it begins with a decimal number (optional
    // sign, digits; what follows the digits in that word is ignored; values
    // beyond the int range saturate). A missing word, or one that does not
    // begin with a number, gives the default: 1 for ipm_terminate, 0 for
    // ipm_child_terminated.
    int code = 0;

    // kChildStarted: the text after the word is split at the first ','.
    // The service name is the part before it without surrounding blanks;
    // the process id is the part after it, which must be a decimal number
    // from 1 to 4294967295 with nothing but blanks and line ends around it.
    // Without a ',' or with any other process id text the message is
    // malformed: childValid is false, childPid 0, and the caller registers
    // nothing (a process id is what identifies a child).
    bool childValid = false;
    std::string childService;
    uint32_t childPid = 0;

    // kNamed: the argument is the rest of the text after the first word and
    // after the blanks and control characters that follow it, as it is (no
    // trimming at its end). hasArgument is false when nothing follows.
    bool hasArgument = false;
    std::string argument;
};

// Interprets a command message. The text is split at blanks, tabs, carriage
// returns and line feeds; leading ones are skipped. Null counts as empty.
IpcCommand ParseIpcCommand(const char* text);

// ---------------------------------------------------------------------------
// Child processes

constexpr int kMaxChildren = 40;
constexpr size_t kChildTextSize = 256;

struct ChildRecord {
    uint32_t pid = 0;        // 0: no process registered
    int slot = 0;            // conversation slot (1..32), 0 for none
    bool terminated = false;
    int exitCode = 0;
    // The last two data messages received from the child, cut at 255
    // characters: latest[] the newest, previous[] the one before.
    char latest[kChildTextSize] = {};
    char previous[kChildTextSize] = {};
};

class ChildTable {
public:
    // Registers a child process with its conversation slot. A process id
    // that is already registered gets its slot updated (nothing else
    // changes). Otherwise the first record whose id and slot are both zero
    // is taken; failing that the first record whose id is zero. A new record
    // starts running, with exit code 0 and empty texts. Returns the child's
    // number (record index), or -1 when the id is 0 or no record is free.
    int Register(uint32_t pid, int slot);

    // Fills record `number` directly (the child side registers its parent
    // under the number it was given). False for a number outside 0..39.
    bool RegisterAt(int number, uint32_t pid, int slot);

    // The child behind a conversation slot: the first record with that slot
    // that has not terminated, failing that the first record with that slot
    // at all (a terminated child keeps its slot so that its last messages
    // still find it). -1 when none, or for slot 0.
    int FindBySlot(int slot) const;
    // The child with that process id; -1 when none, or for id 0.
    int FindByPid(uint32_t pid) const;
    // Every record with that slot gets slot 0: called when the slot is given
    // to a new conversation, which the old records have nothing to do with.
    void DetachSlot(int slot);

    // Marks the child terminated with the exit code; false for a bad number.
    bool MarkTerminated(int number, int code);
    // Stores a data message as the child's latest text (the former latest
    // becomes the previous one). False for a bad number.
    bool StoreText(int number, const char* text);

    // Null for a number outside 0..39.
    const ChildRecord* At(int number) const;
    void Clear();

private:
    ChildRecord records_[kMaxChildren];
};

}  // namespace klib
