// Named commands of klib and their process-wide registry.
#include "klib/command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace klib {

namespace {

// Rooms of the index arrays: they start with this many entries and grow by
// as many.
constexpr size_t kIndexStep = 256;

int g_nextAutomaticId = -1;

// An array of commands sorted by one field. Equal entries keep the order in
// which they were entered, so that the one entered first is found.
template <typename Less>
class SortedIndex {
public:
    SortedIndex() { entries_.reserve(room_); }

    void Insert(k_command* cmd) {
        if (entries_.size() == room_) {
            room_ += kIndexStep;
            entries_.reserve(room_);
        }
        entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), cmd, less_), cmd);
    }

    void Remove(k_command* cmd) {
        auto range = std::equal_range(entries_.begin(), entries_.end(), cmd, less_);
        auto it = std::find(range.first, range.second, cmd);
        if (it != range.second) entries_.erase(it);
    }

    // The first entry equal to the probe, or null.
    template <typename Key>
    k_command* Find(const Key& key) const {
        auto it = std::lower_bound(entries_.begin(), entries_.end(), key, less_);
        if (it == entries_.end() || less_(key, *it)) return nullptr;
        return *it;
    }

    size_t Size() const { return entries_.size(); }
    size_t Room() const { return room_; }

private:
    std::vector<k_command*> entries_;
    size_t room_ = kIndexStep;
    Less less_;
};

struct ById {
    bool operator()(const k_command* a, const k_command* b) const { return a->Id() < b->Id(); }
    bool operator()(const k_command* a, int id) const { return a->Id() < id; }
    bool operator()(int id, const k_command* b) const { return id < b->Id(); }
};

struct ByKey {
    bool operator()(const k_command* a, const k_command* b) const { return a->Key() < b->Key(); }
    bool operator()(const k_command* a, int key) const { return a->Key() < key; }
    bool operator()(int key, const k_command* b) const { return key < b->Key(); }
};

// strcmp compares as unsigned char: byte-wise.
struct ByName {
    bool operator()(const k_command* a, const k_command* b) const { return std::strcmp(a->Name(), b->Name()) < 0; }
    bool operator()(const k_command* a, const char* name) const { return std::strcmp(a->Name(), name) < 0; }
    bool operator()(const char* name, const k_command* b) const { return std::strcmp(name, b->Name()) < 0; }
};

struct Indexes {
    SortedIndex<ById> byId;
    SortedIndex<ByKey> byKey;
    SortedIndex<ByName> byName;
};

Indexes* g_indexes = nullptr;

Indexes& TheIndexes() {
    if (!g_indexes) g_indexes = new Indexes;
    return *g_indexes;
}

int ResolveId(int id) { return id != 0 ? id : g_nextAutomaticId--; }

// "cmd<id>", with a '-' in the fourth place made '_'.
std::string DefaultName(int id) {
    char text[24];
    std::snprintf(text, sizeof text, "cmd%1d", id);
    if (text[3] == '-') text[3] = '_';
    return text;
}

}  // namespace

k_command::k_command(const char* name, int id, k_handler handler, intptr_t user, const char* description, int key)
    : k_command(Resolved{}, name, ResolveId(id), handler, user, description, key) {}

k_command::k_command(Resolved, const char* name, int id, k_handler handler, intptr_t user, const char* description,
                     int key)
    : k_object(name ? name : DefaultName(id).c_str()),
      id_(id),
      key_(key),
      hasDescription_(description != nullptr),
      description_(description ? description : "") {
    Indexes& idx = TheIndexes();
    if (k_command* old = idx.byId.Find(id_)) {
        std::printf("programmer error: k_command %d already exists!\n", id_);
        std::printf("                  New command \"%s\" conflicts with \"%s\"\n", Name(), old->Name());
        std::fflush(stdout);
    }
    idx.byId.Insert(this);
    if (key_) idx.byKey.Insert(this);
    idx.byName.Insert(this);
    if (handler) AddHandler(handler, kEvCommand, user);
}

k_command::~k_command() {
    if (!g_indexes) return;
    g_indexes->byId.Remove(this);
    if (key_) g_indexes->byKey.Remove(this);
    g_indexes->byName.Remove(this);
}

void k_command::SetKey(int key) {
    Indexes& idx = TheIndexes();
    if (key_) idx.byKey.Remove(this);
    key_ = key;
    if (key_) idx.byKey.Insert(this);
}

bool k_command::Invoke(const char* argument, bool* handled) { return Dispatch(CommandEvent(this, argument), handled); }

k_event CommandEvent(k_command* cmd, const char* argument) {
    k_event ev(kEvCommand, cmd);
    ev[kWordId] = cmd ? cmd->Id() : 0;
    ev.SetText(argument);
    return ev;
}

k_command* CreateCommand(const char* name, int id, k_handler handler, intptr_t user, const char* description,
                         int key) {
    return new k_command(name, id, handler, user, description, key);
}

void DestroyCommand(k_command* cmd) { delete cmd; }

k_command* FindCommandById(int id) { return g_indexes ? g_indexes->byId.Find(id) : nullptr; }

k_command* FindCommandByKey(int key) { return g_indexes && key ? g_indexes->byKey.Find(key) : nullptr; }

k_command* FindCommandByName(const char* name) {
    return g_indexes && name ? g_indexes->byName.Find(name) : nullptr;
}

size_t CommandCount() { return g_indexes ? g_indexes->byId.Size() : 0; }
size_t CommandIndexRoom() { return TheIndexes().byId.Room(); }

void ReleaseCommandIndexes() {
    delete g_indexes;
    g_indexes = nullptr;
}

}  // namespace klib
