// Inter-process messages of klib over DDE (DDEML): the message service, the
// conversation table, sending, the DDE callback and the taking up of the
// pending inbound message.
//
// Texts travel in two items of every conversation, "command" and "data", in
// text format. A client pokes them to the server; a server posts an advise
// and the client, which holds advise loops on both items, fetches the text.
// The receiver keeps one inbound message at a time and answers "busy" to
// others until the message pump has taken it up (ProcessPendingMessage).
//
// Everything runs on the user-interface thread: the DDE callback is called
// inside message dispatch. Nothing locks.
#pragma once
#include <windows.h>
#include <ddeml.h>

#include "klib/ipc.h"

namespace klib {

constexpr int kMaxConversations = 32;

// One slot of the conversation table; free while conv is null.
struct Conversation {
    HCONV conv = nullptr;
    HSZ service = nullptr;       // the partner's service (as DDE gave it)
    HSZ topic = nullptr;
    bool partnerOpened = false;  // the partner connected to us: we are its server
};

// Starts DDE. name null: as a client only. With a name: if a server of that
// name already answers a connection on the topic of the same name, the debug
// window gets "Found service <name> already running" and the name is not
// registered; otherwise it is registered. False only when DDE cannot be
// initialised. Calling it again with a name after a client-only start
// restarts DDE (open conversations are closed) so that it can serve.
bool StartMessageService(const char* name);
bool MessageServiceStarted();
// True when this process registered its service name.
bool MessageServiceRegistered();
// This process's service name: the name the service was started with, or
// else the base name of the process frame.
const char* OwnServiceName();

// Closes all conversations, unregisters the service, frees the string
// handles and ends DDE. Idempotent. The pending inbound message (it came
// over a conversation now closed) is dropped and the parent slot becomes 0;
// the child table, the IPC mode and the sinks stay as they are.
void StopMessageService();

// Opens a conversation as a client with the given service and topic in the
// slot (1..32; 0 takes the first free one that no waiting inbound message
// came from; a slot in use is closed first)
// and starts advise loops on "data" and "command" (a failure is only noted
// in the debug window). Starts DDE as a client when it is not running.
// Returns the slot, or 0 when no conversation could be opened.
int Connect(const char* service, const char* topic, int slot);
// Connect with this process's own service name as the topic.
int ConnectToParent(const char* service, int slot);
// Closes the conversation of the slot; nothing for a free or bad slot.
void Disconnect(int slot);

// Formats a text (cut at 1023 characters) into the outbound buffer and
// sends it on item "command" of the slot's conversation: a server posts an
// advise; a client pokes it (10 s time-out per try), trying again as long
// as the partner answers busy or does not acknowledge in time, for at most
// 60 s in all. True when the advise was posted, or the poke acknowledged;
// false for a slot outside 1..32, a free slot, or a failed transaction.
bool Send(int slot, const char* format, ...);
// The same on item "data".
bool SendData(int slot, const char* format, ...);

// The conversation table; slot 1..32 (other numbers give a free entry).
const Conversation& ConversationAt(int slot);
// The slot of a conversation handle, 0 when it is not in the table.
int SlotOf(HCONV conv);

// Inbound message.
bool MessagePending();
const InboundBuffer& Inbound();
// How many inbound messages were refused as busy since the start.
unsigned BusyRefusals();

// Takes up the pending inbound message, if any, and returns whether there
// was one. A data message becomes the latest text of the child behind its
// slot and raises a child event (nothing when no child is behind the slot).
// A command message is interpreted (klib/ipc.h):
// - ipm_terminate: the process ends through ExitProcessWith(code);
// - ipm_child_started: the child is registered with the slot and a child
//   event with the message text is raised (a malformed one is ignored);
// - ipm_child_terminated: the child behind the slot is marked terminated and
//   a child event is raised;
// The child behind a slot is the one registered with it since the slot was
// last given to a conversation. When a partner drops a conversation, its
// child is marked terminated with code 7 and a child event is raised, unless
// it is already marked or its "ipm_child_terminated" is the waiting message.
// - any other word goes to the named-command sink.
bool ProcessPendingMessage();

// Named commands: the lower-cased word and the argument text (null when
// none). Returns whether a command of that name exists; unknown words are
// ignored. Null sink: named commands are dropped.
using NamedCommandSink = bool (*)(const char* word, const char* argsOrNull);
void SetNamedCommandSink(NamedCommandSink sink);

// Child events: the child's number (index in the child table), and either
// terminated with the exit code (text null) or a message with its text.
using ChildEventSink = void (*)(int child, bool terminated, int code, const char* text);
void SetChildEventSink(ChildEventSink sink);

// Child side of "-yipc<mode> <parentService> <childNumber>": connects to the
// parent with this process's service name as the topic, remembers the
// parent slot and the IPC mode, registers the parent in the child table
// under childNumber, and sends "ipm_child_started <own service>, <pid>".
// Starts DDE (able to serve later) when it is not running. False when the
// parent cannot be reached (nothing is remembered then) or the message
// could not be sent.
bool ConnectAsChild(const char* parentService, int childNumber, int ipcMode);
// Sends "ipm_child_terminated <code>" to the parent, if there is one.
void NotifyParentTerminated(int code);
int ParentSlot();   // 0 when not started as a child (or the parent left)
int IpcMode();      // -1 when not started as a child

// The child table of this process.
const ChildTable& Children();

}  // namespace klib
