// The object base of klib: names, serials, handler lists and dispatch.
#include "klib/object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace klib {
namespace {

// What handlers and default operations saw, in order.
std::vector<std::string> g_log;

// A handler that logs its name (the user value) and declines the event.
int Note(k_event*, intptr_t user) {
    g_log.push_back(reinterpret_cast<const char*>(user));
    return 0;
}

// A handler that logs its name and takes the event.
int Take(k_event*, intptr_t user) {
    g_log.push_back(reinterpret_cast<const char*>(user));
    return 1;
}

intptr_t U(const char* name) { return reinterpret_cast<intptr_t>(name); }

class Logged : public k_object {
public:
    explicit Logged(const char* name, int result = 0) : k_object(name), result_(result) {}
    int DefaultEvent(k_event* ev) override {
        g_log.push_back(std::string("default ") + Name());
        return result_;
    }

private:
    int result_;
};

class KlibObject : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        ClearQuitRequest();
        SetApplicationObject(&app_);
    }
    void TearDown() override {
        SetApplicationObject(nullptr);
        ClearQuitRequest();
    }
    Logged app_{"app"};
};

TEST(KlibObjectName, BlanksAndTabsBecomeUnderscores) {
    k_object o("main window\tone");
    EXPECT_STREQ(o.Name(), "main_window_one");
}

TEST(KlibObjectName, AtMost32Characters) {
    k_object o("0123456789abcdef0123456789ABCDEF-cut");
    EXPECT_STREQ(o.Name(), "0123456789abcdef0123456789ABCDEF");
    k_object none(nullptr);
    EXPECT_STREQ(none.Name(), "");
}

TEST(KlibObjectState, SerialsCountUpAndObjectsStartEnabled) {
    k_object a("a");
    k_object b("b");
    k_object c("c");
    EXPECT_GE(a.Serial(), 0);
    EXPECT_EQ(b.Serial(), a.Serial() + 1);
    EXPECT_EQ(c.Serial(), a.Serial() + 2);
    EXPECT_TRUE(a.Enabled());
    a.Enable(false);
    EXPECT_FALSE(a.Enabled());
    EXPECT_EQ(a.Next(), nullptr);
    a.SetNext(&b);
    EXPECT_EQ(a.Next(), &b);
}

TEST_F(KlibObject, OffUntilThereIsAnApplicationObject) {
    k_object o("o");
    o.AddHandler(Take, kEvKeyDown, U("h"));
    SetApplicationObject(nullptr);
    EXPECT_FALSE(DispatchEnabled());
    bool handled = true;
    EXPECT_FALSE(Dispatch(k_event(kEvKeyDown, &o), &handled));
    EXPECT_FALSE(handled);
    EXPECT_TRUE(g_log.empty());
    SetApplicationObject(&app_);
    EXPECT_TRUE(DispatchEnabled());
    EXPECT_TRUE(Dispatch(k_event(kEvKeyDown, &o), &handled));
    EXPECT_TRUE(handled);
    EXPECT_EQ(g_log, (std::vector<std::string>{"h"}));
}

TEST_F(KlibObject, TheSwitchAlone) {
    k_object o("o");
    o.AddHandler(Take, kEvKeyDown, U("h"));
    SetDispatchEnabled(false);
    EXPECT_FALSE(Dispatch(k_event(kEvKeyDown, &o)));
    SetDispatchEnabled(true);
    EXPECT_TRUE(Dispatch(k_event(kEvKeyDown, &o)));
    EXPECT_EQ(g_log.size(), 1u);
}

TEST_F(KlibObject, NewestHandlerIsAskedFirst) {
    k_object o("o");
    o.AddHandler(Note, kEvKeyDown, U("first"));
    o.AddHandler(Note, kEvKeyDown, U("second"));
    o.AddHandler(Note, kEvKeyDown, U("third"));
    bool handled = true;
    EXPECT_TRUE(Dispatch(k_event(kEvKeyDown, &o), &handled));
    EXPECT_FALSE(handled);
    EXPECT_EQ(g_log, (std::vector<std::string>{"third", "second", "first", "default app"}));
}

TEST_F(KlibObject, TargetThenApplicationThenDefaults) {
    Logged o("o");
    o.AddHandler(Note, kEvKeyDown, U("target"));
    app_.AddHandler(Note, kEvKeyDown, U("app handler"));
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"target", "app handler", "default o", "default app"}));
}

TEST_F(KlibObject, TakenByTheTargetGoesNoFurther) {
    Logged o("o");
    o.AddHandler(Note, kEvKeyDown, U("older"));
    o.AddHandler(Take, kEvKeyDown, U("taker"));
    app_.AddHandler(Note, kEvKeyDown, U("app handler"));
    bool handled = false;
    Dispatch(k_event(kEvKeyDown, &o), &handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(g_log, (std::vector<std::string>{"taker"}));
}

TEST_F(KlibObject, TakenByTheApplicationSkipsTheDefaults) {
    Logged o("o");
    app_.AddHandler(Take, kEvKeyDown, U("app handler"));
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"app handler"}));
}

TEST_F(KlibObject, DefaultOperationResultCountsAsHandled) {
    Logged o("o", 1);
    bool handled = false;
    Dispatch(k_event(kEvKeyDown, &o), &handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(g_log, (std::vector<std::string>{"default o", "default app"}));
}

TEST_F(KlibObject, EventsForTheApplicationObjectAreOfferedOnce) {
    app_.AddHandler(Note, kEvClose, U("app handler"));
    Dispatch(k_event(kEvClose, &app_));
    EXPECT_EQ(g_log, (std::vector<std::string>{"app handler", "default app"}));
}

TEST_F(KlibObject, EventsWithoutATargetGoToTheApplication) {
    app_.AddHandler(Note, kEvChildProcess, U("app handler"));
    Dispatch(k_event(kEvChildProcess, nullptr));
    EXPECT_EQ(g_log, (std::vector<std::string>{"app handler", "default app"}));
}

TEST_F(KlibObject, HandlerForSeveralBitsIsOnEachList) {
    k_object o("o");
    o.AddHandler(Note, kEvButtonDown | kEvButtonUp | kEvDoubleClick, U("mouse"));
    EXPECT_EQ(o.HandlerMask(), 2u | 4u | 8u);
    for (uint32_t code : {2u, 4u, 8u}) {
        g_log.clear();
        Dispatch(k_event(code, &o));
        EXPECT_EQ(g_log.front(), "mouse") << code;
    }
    g_log.clear();
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"default app"}));
}

TEST_F(KlibObject, OneListUntilAHandlerWithAnotherMask) {
    k_object o("o");
    o.AddHandler(Note, kEvButtonDown | kEvKeyDown, U("a"));
    o.AddHandler(Note, kEvButtonDown | kEvKeyDown, U("b"));
    EXPECT_TRUE(o.OneList());
    EXPECT_EQ(o.HandlerCount(kEvButtonDown), 2u);
    EXPECT_EQ(o.HandlerCount(kEvKeyDown), 2u);
    EXPECT_EQ(o.HandlerCount(kEvKeyUp), 0u);

    o.AddHandler(Note, kEvKeyDown | kEvKeyUp, U("c"));
    EXPECT_FALSE(o.OneList());
    EXPECT_EQ(o.HandlerMask(), kEvButtonDown | kEvKeyDown | kEvKeyUp);
    EXPECT_EQ(o.HandlerCount(kEvButtonDown), 2u);
    EXPECT_EQ(o.HandlerCount(kEvKeyDown), 3u);
    EXPECT_EQ(o.HandlerCount(kEvKeyUp), 1u);

    // The order survives the split, and the new handler is in front.
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"c", "b", "a", "default app"}));
    g_log.clear();
    Dispatch(k_event(kEvButtonDown, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"b", "a", "default app"}));
    g_log.clear();
    Dispatch(k_event(kEvKeyUp, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"c", "default app"}));
}

TEST_F(KlibObject, RemoveHandlersByMask) {
    k_object o("o");
    o.AddHandler(Note, kEvKeyDown | kEvKeyUp, U("a"));
    o.AddHandler(Note, kEvKeyDown | kEvKeyUp, U("b"));
    o.RemoveHandlers(kEvKeyUp);
    EXPECT_TRUE(o.OneList());
    EXPECT_EQ(o.HandlerMask(), kEvKeyDown);
    EXPECT_EQ(o.HandlerCount(kEvKeyUp), 0u);
    EXPECT_EQ(o.HandlerCount(kEvKeyDown), 2u);
    o.RemoveHandlers(kEvKeyDown);
    EXPECT_EQ(o.HandlerMask(), 0u);
    EXPECT_EQ(o.HandlerCount(kEvKeyDown), 0u);

    // After the split, bits are removed list by list; -1 removes all and the
    // object goes back to one list.
    o.AddHandler(Note, kEvKeyDown, U("a"));
    o.AddHandler(Note, kEvPaint, U("p"));
    EXPECT_FALSE(o.OneList());
    o.RemoveHandlers(kEvKeyDown);
    EXPECT_EQ(o.HandlerMask(), kEvPaint);
    EXPECT_FALSE(o.OneList());
    o.RemoveHandlers(static_cast<uint32_t>(-1));
    EXPECT_EQ(o.HandlerMask(), 0u);
    EXPECT_TRUE(o.OneList());
    o.AddHandler(Note, kEvClose, U("x"));
    EXPECT_TRUE(o.OneList());
    EXPECT_EQ(o.HandlerMask(), kEvClose);
}

TEST_F(KlibObject, NullHandlerOrEmptyMaskAddsNothing) {
    k_object o("o");
    o.AddHandler(nullptr, kEvKeyDown, 0);
    o.AddHandler(Note, 0, U("x"));
    EXPECT_EQ(o.HandlerMask(), 0u);
}

// Handlers that change the list they are called from.
k_object* g_victimOwner = nullptr;

int RemoveAllOfOwner(k_event*, intptr_t user) {
    g_log.push_back(reinterpret_cast<const char*>(user));
    g_victimOwner->RemoveHandlers(kAllEvents);
    return 0;
}

int RemoveSelfOnly(k_event* ev, intptr_t user) {
    g_log.push_back(reinterpret_cast<const char*>(user));
    // Removing the key-down bit takes every key-down handler; add back the
    // ones that stay.
    g_victimOwner->RemoveHandlers(kEvKeyDown);
    g_victimOwner->AddHandler(Note, kEvKeyDown, U("a"));
    g_victimOwner->AddHandler(Note, kEvKeyDown, U("b"));
    return 0;
}

TEST_F(KlibObject, HandlerRemovingItselfAndTheNextStopsTheSearch) {
    Logged o("o");
    g_victimOwner = &o;
    o.AddHandler(Note, kEvKeyDown, U("last"));
    o.AddHandler(Note, kEvKeyDown, U("next"));
    o.AddHandler(RemoveAllOfOwner, kEvKeyDown, U("remover"));
    app_.AddHandler(Note, kEvKeyDown, U("app handler"));
    Dispatch(k_event(kEvKeyDown, &o));
    // The entry after the remover is gone: the target's search stops there;
    // the application object is still asked.
    EXPECT_EQ(g_log, (std::vector<std::string>{"remover", "app handler", "default o", "default app"}));
    EXPECT_EQ(o.HandlerMask(), 0u);
}

TEST_F(KlibObject, SearchGoesOnWhenTheNextEntryStillExists) {
    // The remover takes the handlers of another bit away: the entry after it
    // is untouched and is asked next.
    k_object o("o");
    g_victimOwner = &o;
    o.AddHandler(Note, kEvKeyDown, U("after"));
    o.AddHandler(Note, kEvPaint, U("painter"));
    o.AddHandler([](k_event*, intptr_t) -> int {
        g_log.push_back("remover");
        g_victimOwner->RemoveHandlers(kEvPaint);
        return 0;
    }, kEvKeyDown, 0);
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"remover", "after", "default app"}));
    EXPECT_EQ(o.HandlerMask(), kEvKeyDown);
}

TEST_F(KlibObject, ReaddedHandlersAreNewEntries) {
    k_object o("o");
    g_victimOwner = &o;
    o.AddHandler(Note, kEvKeyDown, U("old b"));
    o.AddHandler(RemoveSelfOnly, kEvKeyDown, U("remover"));
    Dispatch(k_event(kEvKeyDown, &o));
    // The old entry after the remover was removed (and an equal one added
    // again): the search stops.
    EXPECT_EQ(g_log, (std::vector<std::string>{"remover", "default app"}));
    EXPECT_EQ(o.HandlerCount(kEvKeyDown), 2u);
    g_log.clear();
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"b", "a", "default app"}));
}

TEST_F(KlibObject, HandlerSplittingTheListKeepsTheSearchGoing) {
    // A handler that adds one with another mask moves every entry into
    // per-bit lists while the search runs over the one list.
    k_object o("o");
    g_victimOwner = &o;
    o.AddHandler(Note, kEvKeyDown, U("after"));
    o.AddHandler([](k_event*, intptr_t) -> int {
        g_log.push_back("splitter");
        g_victimOwner->AddHandler(Note, kEvPaint, U("painter"));
        return 0;
    }, kEvKeyDown, 0);
    ASSERT_TRUE(o.OneList());
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_FALSE(o.OneList());
    EXPECT_EQ(g_log, (std::vector<std::string>{"splitter", "after", "default app"}));
}

TEST_F(KlibObject, HandlerDestroyingItsObject) {
    k_object* o = new k_object("doomed");
    g_victimOwner = o;
    o->AddHandler(Note, kEvClose, U("never"));
    o->AddHandler([](k_event*, intptr_t) -> int {
        g_log.push_back("destroyer");
        delete g_victimOwner;
        return 0;
    }, kEvClose, 0);
    app_.AddHandler(Note, kEvClose, U("app handler"));
    Dispatch(k_event(kEvClose, o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"destroyer", "app handler", "default app"}));
}

TEST_F(KlibObject, DisabledObjectGetsOnlyPaintAndResize) {
    Logged o("o");
    for (uint32_t bit = 0; bit < 32; ++bit) o.AddHandler(Note, 1u << bit, U("h"));
    app_.AddHandler(Note, kAllEvents, U("app handler"));
    o.Enable(false);
    for (uint32_t code : {2u, 32u, 64u, 128u, 1024u, 0x2000u, 0x10000u, 0x20000u, 0x40000u, 0x400000u,
                          0x800000u, 0x1000000u}) {
        g_log.clear();
        bool handled = true;
        EXPECT_TRUE(Dispatch(k_event(code, &o), &handled));
        EXPECT_FALSE(handled);
        EXPECT_TRUE(g_log.empty()) << code;
    }
    for (uint32_t code : {0x4000u, 0x8000u}) {
        g_log.clear();
        Dispatch(k_event(code, &o));
        EXPECT_EQ(g_log, (std::vector<std::string>{"h", "app handler", "default o", "default app"})) << code;
    }
    o.Enable(true);
    g_log.clear();
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_log.front(), "h");
}

TEST_F(KlibObject, DisabledApplicationObjectIsNotAsked) {
    k_object o("o");
    app_.AddHandler(Note, kAllEvents, U("app handler"));
    app_.Enable(false);
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_TRUE(g_log.empty());
    Dispatch(k_event(kEvPaint, &o));
    EXPECT_EQ(g_log, (std::vector<std::string>{"app handler", "default app"}));
    app_.Enable(true);
}

// Handlers see the dispatcher's copy; changes reach later handlers only.
int Mark(k_event* ev, intptr_t) {
    (*ev)[kWordArg] = 99;
    return 0;
}

int CheckMark(k_event* ev, intptr_t) {
    g_log.push_back(std::to_string((*ev)[kWordArg]));
    return 1;
}

TEST_F(KlibObject, HandlersWorkOnACopy) {
    k_object o("o");
    o.AddHandler(CheckMark, kEvKeyDown, 0);
    o.AddHandler(Mark, kEvKeyDown, 0);
    k_event ev(kEvKeyDown, &o);
    ev[kWordArg] = 5;
    Dispatch(ev);
    EXPECT_EQ(ev[kWordArg], 5);
    EXPECT_EQ(g_log, (std::vector<std::string>{"99"}));
}

// Nesting: a handler that dispatches.
int g_depthSeen[2];

int Inner(k_event*, intptr_t) {
    g_depthSeen[1] = DispatchDepth();
    return 1;
}

int Outer(k_event* ev, intptr_t user) {
    g_depthSeen[0] = DispatchDepth();
    Dispatch(k_event(kEvKeyUp, ev->Target()));
    return 1;
}

TEST_F(KlibObject, NestingDepthIsCounted) {
    k_object o("o");
    o.AddHandler(Outer, kEvKeyDown, 0);
    o.AddHandler(Inner, kEvKeyUp, 0);
    EXPECT_EQ(DispatchDepth(), 0);
    EXPECT_FALSE(InsideDispatch());
    Dispatch(k_event(kEvKeyDown, &o));
    EXPECT_EQ(g_depthSeen[0], 1);
    EXPECT_EQ(g_depthSeen[1], 2);
    EXPECT_EQ(DispatchDepth(), 0);
    EXPECT_FALSE(InsideDispatch());
}

TEST_F(KlibObject, QuitNobodyTookSetsTheRequest) {
    EXPECT_FALSE(QuitRequested());
    Dispatch(k_event(kEvQuit, nullptr));
    EXPECT_TRUE(QuitRequested());
    ClearQuitRequest();
    app_.AddHandler(Take, kEvQuit, U("keep running"));
    Dispatch(k_event(kEvQuit, nullptr));
    EXPECT_FALSE(QuitRequested());
    EXPECT_EQ(k_event(kEvQuit, nullptr).Code(), 0x80000000u);
}

std::vector<k_object*> g_gone;
void Gone(k_object* o) { g_gone.push_back(o); }

TEST_F(KlibObject, DestructionIsAnnounced) {
    g_gone.clear();
    AddObjectGoneHook(Gone);
    AddObjectGoneHook(Gone);  // once only
    k_object* o = new k_object("o");
    delete o;
    RemoveObjectGoneHook(Gone);
    k_object other("other");
    EXPECT_EQ(g_gone, (std::vector<k_object*>{o}));
}

TEST_F(KlibObject, DestroyedApplicationObjectSwitchesDispatchOff) {
    auto* app = new k_object("short-lived app");
    SetApplicationObject(app);
    EXPECT_TRUE(DispatchEnabled());
    delete app;
    EXPECT_EQ(ApplicationObject(), nullptr);
    EXPECT_FALSE(DispatchEnabled());
}

TEST(KlibEventRecord, NineWordsWithCodeAndTarget) {
    k_object o("o");
    k_event ev(kEvFrameButton, &o);
    EXPECT_EQ(sizeof ev.word / sizeof ev.word[0], 9u);
    EXPECT_EQ(sizeof(intptr_t), sizeof(void*));
    EXPECT_EQ(ev.Code(), 0x400000u);
    EXPECT_EQ(ev.Target(), &o);
    EXPECT_EQ(ev[kWordReserved], 0);
    EXPECT_EQ(ev.Text(), nullptr);
    ev.SetText("x");
    EXPECT_STREQ(ev.Text(), "x");
}

}  // namespace
}  // namespace klib
