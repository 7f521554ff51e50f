// The event record of klib: what every window message, key press, command
// and inter-process message becomes before it is dispatched to an object.
//
// A record is nine words. Word 0 is the event code (a single bit), word 1
// the target object, and the words from 3 on the arguments, whose meaning
// depends on the code (see the word indices below). The words are intptr_t:
// in the 32-bit program they are exactly the nine 32-bit words of the record;
// in a 64-bit build they are wide enough to carry the pointers (target,
// command, texts, device contexts, drop handles) that some of them hold.
// Codes are stored as their unsigned 32-bit value; read them with Code().
#pragma once
#include <cstdint>

namespace klib {

class k_object;

// Event codes.
constexpr uint32_t kEvButtonDown = 2;           // x, y, time, modifiers, button
constexpr uint32_t kEvButtonUp = 4;             // x, y, time, modifiers, button
constexpr uint32_t kEvDoubleClick = 8;          // x, y, time, modifiers, button
constexpr uint32_t kEvKeyDown = 32;             // key code, -, time, modifiers
constexpr uint32_t kEvKeyUp = 64;               // key code, -, time, modifiers
constexpr uint32_t kEvScroll = 128;             // bar, kind, direction, position, final
constexpr uint32_t kEvCommand = 1024;           // word 1 the command, id, -, -, argument text
constexpr uint32_t kEvEnter = 2048;             // the window's object
constexpr uint32_t kEvLeave = 4096;             // the window's object
constexpr uint32_t kEvMouseMove = 0x2000;       // x, y, time, modifiers
constexpr uint32_t kEvPaint = 0x4000;           // left, top, right, bottom, whole window, device context
constexpr uint32_t kEvResize = 0x8000;          // width, height, window state
constexpr uint32_t kEvMoved = 0x10000;          // x, y
constexpr uint32_t kEvActivate = 0x20000;       // active flag, -, time
constexpr uint32_t kEvClose = 0x40000;          // -
constexpr uint32_t kEvChildProcess = 0x100000;  // child number, terminated flag, exit code, text
constexpr uint32_t kEvFrameButton = 0x400000;   // screen x, y, time, modifiers, button, hit-test code
constexpr uint32_t kEvFilesDropped = 0x800000;  // drop handle
constexpr uint32_t kEvSysChar = 0x1000000;      // key code, -, time, modifiers
constexpr uint32_t kEvQuit = 0x80000000u;       // - (no target)

// Disabled objects still receive the events with one of these bits.
constexpr uint32_t kEvAlwaysDelivered = kEvPaint | kEvResize;

// Modifier state carried by pointer and key events: the bits of the keys and
// buttons that are down.
constexpr int kEvModLeft = 1;
constexpr int kEvModRight = 2;
constexpr int kEvModMiddle = 4;
constexpr int kEvModShift = 0x1000000;
constexpr int kEvModCtrl = 0x2000000;
constexpr int kEvModAlt = 0x4000000;

// Button numbers of button and frame-button events.
constexpr int kButtonLeft = 1;
constexpr int kButtonRight = 2;
constexpr int kButtonMiddle = 4;

// Scroll events: the bar, and the kind of use.
constexpr int kScrollHorizontal = 1;
constexpr int kScrollVertical = 2;
constexpr int kScrollLine = 1;   // direction -1 towards the start, +1 towards the end
constexpr int kScrollPage = 2;   // direction as for lines
constexpr int kScrollThumb = 3;  // position set; word 7 is 1 once the thumb is released
constexpr int kScrollToEnd = 4;  // direction -1 to the start, +1 to the end

// Window states of resize events.
constexpr int kSizeNormal = 0;
constexpr int kSizeMinimised = 1;
constexpr int kSizeMaximised = 2;

// Indices of the words.
enum EventWord : int {
    kWordCode = 0,
    kWordTarget = 1,
    kWordReserved = 2,
    kWordArg = 3,                 // first argument
    kWordX = 3, kWordY = 4,       // positions and sizes
    kWordKey = 3,                 // key and system-character events
    kWordId = 3,                  // command events
    kWordChild = 3,               // child-process events: child number
    kWordTerminated = 4,          //   terminated flag
    kWordExitCode = 5,            //   exit code
    kWordTime = 5,                // message time
    kWordModifiers = 6,           // modifier state
    kWordText = 6,                // command argument text, child message text (const char*)
    kWordButton = 7,              // button number
    kWordWhole = 7,               // paint: the whole client area is to be painted
    kWordHitTest = 8,             // frame button: the system's hit-test code
    kWordDc = 8,                  // paint: the device context to paint into
    kEventWords = 9
};

struct k_event {
    intptr_t word[kEventWords] = {};

    k_event() = default;
    k_event(uint32_t code, k_object* target) {
        word[kWordCode] = static_cast<intptr_t>(code);
        word[kWordTarget] = reinterpret_cast<intptr_t>(target);
    }

    uint32_t Code() const { return static_cast<uint32_t>(word[kWordCode]); }
    k_object* Target() const { return reinterpret_cast<k_object*>(word[kWordTarget]); }
    intptr_t& operator[](int i) { return word[i]; }
    intptr_t operator[](int i) const { return word[i]; }

    // Word 6 as the text some events carry (null for none).
    const char* Text() const { return reinterpret_cast<const char*>(word[kWordText]); }
    void SetText(const char* text) { word[kWordText] = reinterpret_cast<intptr_t>(text); }
};

}  // namespace klib
