// Named commands of klib and their process-wide registry.
//
// A command is an object with a number, an optional key code and a
// description. Keyboard shortcuts, menu items and the text commands that
// arrive from other programs all end as a command event (kEvCommand)
// dispatched to the command. The registry keeps three sorted indexes: by id,
// by key (commands that have one) and by name (byte-wise).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "klib/object.h"

namespace klib {

class k_command : public k_object {
public:
    // name: null gives "cmd<id>" (a '-' as fourth character becomes '_':
    // id -3 is named "cmd_3"). id: 0 takes the next automatic id, counting
    // down from -1. handler (optional) is added for kEvCommand with user.
    // description is copied (null for none). key: library key code, 0 for
    // none. The command enters the indexes at once; an id that is already
    // registered is reported on standard output as a programming error, and
    // the new command is registered all the same.
    k_command(const char* name, int id, k_handler handler = nullptr, intptr_t user = 0,
              const char* description = nullptr, int key = 0);
    // Leaves the indexes.
    ~k_command() override;

    int Id() const { return id_; }
    int Key() const { return key_; }
    // Null when the command has none.
    const char* Description() const { return hasDescription_ ? description_.c_str() : nullptr; }

    // Gives the command another key code (0 for none), moving it in the key
    // index.
    void SetKey(int key);

    // Dispatches a command event for this command: word 1 the command, word 3
    // its id, word 6 the argument text (null for none). Same result as
    // Dispatch. The caller decides about disabled commands: dispatch drops
    // the events of disabled objects.
    bool Invoke(const char* argument = nullptr, bool* handled = nullptr);

private:
    struct Resolved {};
    k_command(Resolved, const char* name, int id, k_handler handler, intptr_t user, const char* description,
              int key);

    int id_;
    int key_;
    bool hasDescription_;
    std::string description_;
};

// The command event record for a command.
k_event CommandEvent(k_command* cmd, const char* argument = nullptr);

// Creates and destroys commands (as new and delete of k_command).
k_command* CreateCommand(const char* name, int id, k_handler handler = nullptr, intptr_t user = 0,
                         const char* description = nullptr, int key = 0);
void DestroyCommand(k_command* cmd);

// Lookups; null when no command matches. With several commands of the same
// id, key or name the one sorted first (the one registered first) is found.
k_command* FindCommandById(int id);
k_command* FindCommandByKey(int key);
k_command* FindCommandByName(const char* name);

// Number of commands in the id index, and the room its array has (starts
// at 256 entries and grows by 256).
size_t CommandCount();
size_t CommandIndexRoom();

// Frees the indexes (at exit). Commands that still exist are no longer
// found; destroying them afterwards is harmless.
void ReleaseCommandIndexes();

}  // namespace klib
