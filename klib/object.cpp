// The object base of klib and the dispatch of events.
#include "klib/object.h"

#include <algorithm>

namespace klib {

namespace {

int g_serialCounter = 0;
uint64_t g_entryCounter = 0;

k_object* g_application = nullptr;
bool g_dispatchOn = false;
int g_depth = 0;
bool g_quitRequested = false;
std::vector<ObjectGoneHook> g_goneHooks;

// Index of the lowest set bit of code, or -1 for 0.
int LowestBit(uint32_t code) {
    if (code == 0) return -1;
    int bit = 0;
    while (!(code & 1u)) {
        code >>= 1;
        ++bit;
    }
    return bit;
}

}  // namespace

// One running dispatch. The frames form a stack through outer, so that an
// object destroyed by a handler can be struck out of every dispatch that is
// still looking at it.
class Dispatcher {
public:
    explicit Dispatcher(const k_event& ev)
        : event_(ev), target_(ev.Target()), app_(g_application), outer_(innermost_) {
        innermost_ = this;
        ++g_depth;
    }
    ~Dispatcher() {
        innermost_ = outer_;
        --g_depth;
    }

    bool Run() {
        uint32_t code = event_.Code();
        bool always = (code & kEvAlwaysDelivered) != 0;
        if (target_ && !target_->Enabled() && !always) return false;
        // The application object is asked only about the events of others
        // (and, like any object, not while it is disabled).
        if (app_ == target_ || (app_ && !app_->Enabled() && !always)) app_ = nullptr;
        int bit = LowestBit(code);
        if (Offer(&Dispatcher::target_, bit)) return true;
        if (Offer(&Dispatcher::app_, bit)) return true;
        bool done = false;
        if (target_ && target_->DefaultEvent(&event_)) done = true;
        if (app_ && app_->DefaultEvent(&event_)) done = true;
        if (!done && code == kEvQuit) {
            RequestQuit();
            done = true;
        }
        return done;
    }

    static void Forget(k_object* obj) {
        for (Dispatcher* d = innermost_; d; d = d->outer_) {
            if (d->target_ == obj) d->target_ = nullptr;
            if (d->app_ == obj) d->app_ = nullptr;
        }
    }

private:
    // Asks the handlers of one object (target_ or app_) for the event.
    bool Offer(k_object* Dispatcher::*who, int bit) {
        if (bit < 0) return false;
        k_object* obj = this->*who;
        const std::vector<k_object::Entry>* list = obj ? obj->ListFor(bit) : nullptr;
        size_t i = 0;
        while (list && i < list->size()) {
            // The call may change the list (or destroy the object): keep what
            // is needed of it before calling.
            const k_object::Entry& entry = (*list)[i];
            k_handler handler = entry.handler;
            intptr_t user = entry.user;
            bool hasNext = i + 1 < list->size();
            uint64_t nextUid = hasNext ? (*list)[i + 1].uid : 0;
            if (handler(&event_, user)) return true;
            obj = this->*who;
            if (!obj || !hasNext) return false;
            list = obj->ListFor(bit);
            if (!list) return false;
            auto it = std::find_if(list->begin(), list->end(),
                                   [nextUid](const k_object::Entry& e) { return e.uid == nextUid; });
            if (it == list->end()) return false;
            i = static_cast<size_t>(it - list->begin());
        }
        return false;
    }

    k_event event_;
    k_object* target_;
    k_object* app_;
    Dispatcher* outer_;
    static Dispatcher* innermost_;
};

Dispatcher* Dispatcher::innermost_ = nullptr;

k_object::k_object(const char* name) : serial_(g_serialCounter++) {
    size_t n = 0;
    if (name) {
        for (; n < kMaxName && name[n]; ++n) name_[n] = (name[n] == ' ' || name[n] == '\t') ? '_' : name[n];
    }
    name_[n] = '\0';
}

k_object::~k_object() {
    Dispatcher::Forget(this);
    if (g_application == this) SetApplicationObject(nullptr);
    // A hook may remove itself: walk a copy.
    std::vector<ObjectGoneHook> hooks = g_goneHooks;
    for (ObjectGoneHook hook : hooks) hook(this);
}

void k_object::AddHandler(k_handler handler, uint32_t mask, intptr_t user) {
    if (!handler || mask == 0) return;
    Entry entry{handler, user, ++g_entryCounter};
    if (perBit_.empty() && (one_.empty() || mask == oneMask_)) {
        oneMask_ = mask;
        one_.insert(one_.begin(), entry);
        UpdateMask();
        return;
    }
    if (perBit_.empty()) {
        // Split the one list: every bit gets the entries in their order.
        perBit_.resize(32);
        for (int bit = 0; bit < 32; ++bit)
            if (oneMask_ & (1u << bit)) perBit_[bit] = one_;
        one_.clear();
        oneMask_ = 0;
    }
    for (int bit = 0; bit < 32; ++bit)
        if (mask & (1u << bit)) perBit_[bit].insert(perBit_[bit].begin(), entry);
    UpdateMask();
}

void k_object::RemoveHandlers(uint32_t mask) {
    if (perBit_.empty()) {
        // All entries share oneMask_: taking bits from it takes them from all.
        oneMask_ &= ~mask;
        if (oneMask_ == 0) one_.clear();
    } else {
        for (int bit = 0; bit < 32; ++bit)
            if (mask & (1u << bit)) perBit_[bit].clear();
        bool any = false;
        for (const auto& list : perBit_) any = any || !list.empty();
        if (!any) perBit_.clear();  // nothing left: back to the one list
    }
    UpdateMask();
}

size_t k_object::HandlerCount(uint32_t code) const {
    const std::vector<Entry>* list = ListFor(LowestBit(code));
    return list ? list->size() : 0;
}

int k_object::DefaultEvent(k_event*) { return 0; }

const std::vector<k_object::Entry>* k_object::ListFor(int bit) const {
    if (bit < 0 || bit > 31) return nullptr;
    if (perBit_.empty()) return (oneMask_ & (1u << bit)) ? &one_ : nullptr;
    return &perBit_[bit];
}

void k_object::UpdateMask() {
    if (perBit_.empty()) {
        handlerMask_ = one_.empty() ? 0 : oneMask_;
        return;
    }
    handlerMask_ = 0;
    for (int bit = 0; bit < 32; ++bit)
        if (!perBit_[bit].empty()) handlerMask_ |= 1u << bit;
}

void SetApplicationObject(k_object* app) {
    g_application = app;
    g_dispatchOn = app != nullptr;
}

k_object* ApplicationObject() { return g_application; }

void SetDispatchEnabled(bool on) { g_dispatchOn = on; }
bool DispatchEnabled() { return g_dispatchOn; }

bool Dispatch(const k_event& ev, bool* handled) {
    if (handled) *handled = false;
    if (!g_dispatchOn) return false;
    Dispatcher d(ev);
    bool took = d.Run();
    if (handled) *handled = took;
    return true;
}

int DispatchDepth() { return g_depth; }

void RequestQuit() { g_quitRequested = true; }
bool QuitRequested() { return g_quitRequested; }
void ClearQuitRequest() { g_quitRequested = false; }

void AddObjectGoneHook(ObjectGoneHook hook) {
    if (hook && std::find(g_goneHooks.begin(), g_goneHooks.end(), hook) == g_goneHooks.end())
        g_goneHooks.push_back(hook);
}

void RemoveObjectGoneHook(ObjectGoneHook hook) {
    g_goneHooks.erase(std::remove(g_goneHooks.begin(), g_goneHooks.end(), hook), g_goneHooks.end());
}

}  // namespace klib
