// The object base of klib and the dispatch of events.
//
// Every window, control and command of the program is a k_object: a name, a
// serial number, a link for the containers that hold objects, an enabled
// flag and handlers per event code. Dispatch offers an event to the handlers
// of its target, then to those of the application object, and finally to
// the default event operations of both.
//
// Single user-interface thread: nothing here locks.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "klib/event.h"

namespace klib {

// A handler gets the event record (the dispatcher's copy, which later
// handlers see with any change made to it) and its user value, and returns
// non-zero when it has handled the event.
typedef int (*k_handler)(k_event* ev, intptr_t user);

// Mask that names every event code.
constexpr uint32_t kAllEvents = 0xFFFFFFFFu;

class k_object {
public:
    // Most characters of a name.
    static constexpr size_t kMaxName = 32;

    // The name is copied (at most 32 characters, null gives ""), with every
    // blank or tab turned into '_'. The serial comes from a process-wide
    // counter that starts at 0.
    explicit k_object(const char* name = nullptr);
    virtual ~k_object();

    k_object(const k_object&) = delete;
    k_object& operator=(const k_object&) = delete;

    const char* Name() const { return name_; }
    int Serial() const { return serial_; }

    // Link used by the containers that hold objects.
    k_object* Next() const { return next_; }
    void SetNext(k_object* next) { next_ = next; }

    // A disabled object receives only the events of kEvAlwaysDelivered.
    bool Enabled() const { return enabled_ != 0; }
    void Enable(bool on) { enabled_ = on ? 1 : 0; }

    // Adds a handler for every event bit of mask. New handlers go to the
    // front: the one added last is asked first. While every handler of the
    // object was added with the same mask the object keeps one list; the
    // first handler with another mask splits it into one list per bit,
    // keeping the order.
    void AddHandler(k_handler handler, uint32_t mask, intptr_t user = 0);
    // Removes every handler for the bits of mask (kAllEvents, or -1, for all).
    void RemoveHandlers(uint32_t mask);

    // The bits that have handlers.
    uint32_t HandlerMask() const { return handlerMask_; }
    // Handlers asked for an event code (its lowest bit).
    size_t HandlerCount(uint32_t code) const;
    // True while the handlers are kept in one list.
    bool OneList() const { return perBit_.empty(); }

    // Called by dispatch when no handler took the event (for the target, then
    // for the application object). Returns non-zero when it did something
    // with it. The base does nothing.
    virtual int DefaultEvent(k_event* ev);

    // Whether the object takes a button press at the position of the event
    // (button and frame-button events of library windows). The base takes
    // every press.
    virtual bool AcceptsPress(const k_event& ev) { return true; }

private:
    friend class Dispatcher;

    struct Entry {
        k_handler handler;
        intptr_t user;
        uint64_t uid;  // tells entries apart while handlers run
    };
    // The list asked for an event bit (0..31), or null.
    const std::vector<Entry>* ListFor(int bit) const;
    void UpdateMask();

    char name_[kMaxName + 1];
    int serial_;
    k_object* next_ = nullptr;
    int enabled_ = 1;
    uint32_t handlerMask_ = 0;
    // One list for the bits of oneMask_ while perBit_ is empty; otherwise
    // 32 lists, one per bit.
    uint32_t oneMask_ = 0;
    std::vector<Entry> one_;
    std::vector<std::vector<Entry>> perBit_;
};

// The process-wide top object. Setting it switches dispatching on; null
// switches it off. An application object that is destroyed unsets itself.
void SetApplicationObject(k_object* app);
k_object* ApplicationObject();

// The dispatching switch itself (off until the application object exists).
void SetDispatchEnabled(bool on);
bool DispatchEnabled();

// Dispatches a copy of ev:
// 1. the handlers of the target for the event's bit, in list order, until
//    one returns non-zero; a disabled target gets only kEvAlwaysDelivered
//    events, the others are dropped (nobody sees them);
// 2. if none took it, the handlers of the application object in the same
//    way (unless the target is the application object, or it is disabled);
// 3. if still none took it, the target's default event operation and then
//    the application object's. A quit event nobody took sets the quit
//    request.
// When a handler removes handlers (itself or others) the search goes on with
// the entry that followed the one called, if it is still there, and stops
// otherwise; it also stops when the object is destroyed meanwhile.
// Returns false, doing nothing, while dispatching is off, else true.
// handled (optional) tells whether a handler or a default operation took it.
bool Dispatch(const k_event& ev, bool* handled = nullptr);

// How many dispatches are running (they nest when a handler pumps messages
// or dispatches). Keys that arrive meanwhile are for the running callback,
// not for global actions such as capture hotkeys.
int DispatchDepth();
inline bool InsideDispatch() { return DispatchDepth() > 0; }

// The quit request: set when a quit event reaches the library's own quit
// handling (nobody else took it), or directly. The endless run loop ends on
// it; it stays set until cleared, so that nested loops all unwind.
void RequestQuit();
bool QuitRequested();
void ClearQuitRequest();

// Functions told when an object is destroyed (its derived parts are gone
// already: use the pointer as a key only). The window side uses this to
// forget the windows and the focus of objects that go away.
typedef void (*ObjectGoneHook)(k_object* obj);
void AddObjectGoneHook(ObjectGoneHook hook);
void RemoveObjectGoneHook(ObjectGoneHook hook);

}  // namespace klib
