// Commands of klib: ids, names, the three indexes and the duplicate report.
#include "klib/command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace klib {
namespace {

// Commands made by a test and destroyed at its end.
class Commands {
public:
    ~Commands() {
        for (k_command* c : made_) DestroyCommand(c);
    }
    k_command* Make(const char* name, int id, int key = 0, k_handler h = nullptr, intptr_t user = 0,
                    const char* description = nullptr) {
        made_.push_back(CreateCommand(name, id, h, user, description, key));
        return made_.back();
    }
    void Destroy(k_command* c) {
        made_.erase(std::find(made_.begin(), made_.end(), c));
        DestroyCommand(c);
    }

private:
    std::vector<k_command*> made_;
};

class KlibCommand : public ::testing::Test {
protected:
    void SetUp() override { SetApplicationObject(&app_); }
    void TearDown() override { SetApplicationObject(nullptr); }
    k_object app_{"app"};
};

// Must stay the first test of the process that creates commands with
// automatic ids: the counter is process-wide.
TEST_F(KlibCommand, FirstUnnamedCommandsCountDownFromMinusOne) {
    Commands cs;
    k_command* a = cs.Make(nullptr, 0);
    k_command* b = cs.Make(nullptr, 0);
    EXPECT_EQ(a->Id(), -1);
    EXPECT_STREQ(a->Name(), "cmd_1");
    EXPECT_EQ(b->Id(), -2);
    EXPECT_STREQ(b->Name(), "cmd_2");
    // A name of its own keeps the automatic id.
    k_command* c = cs.Make("named", 0);
    EXPECT_EQ(c->Id(), -3);
    EXPECT_STREQ(c->Name(), "named");
    EXPECT_EQ(FindCommandByName("cmd_2"), b);
}

TEST_F(KlibCommand, UnnamedCommandWithItsOwnId) {
    Commands cs;
    EXPECT_STREQ(cs.Make(nullptr, 5)->Name(), "cmd5");
    EXPECT_STREQ(cs.Make(nullptr, 12345)->Name(), "cmd12345");
    EXPECT_STREQ(cs.Make(nullptr, -20000)->Name(), "cmd_20000");
}

TEST_F(KlibCommand, NameIsCleanedLikeAnyObjectName) {
    Commands cs;
    k_command* c = cs.Make("save as\tjpeg", 700);
    EXPECT_STREQ(c->Name(), "save_as_jpeg");
    EXPECT_EQ(FindCommandByName("save_as_jpeg"), c);
    EXPECT_EQ(FindCommandByName("save as\tjpeg"), nullptr);
}

TEST_F(KlibCommand, DescriptionIsACopy) {
    Commands cs;
    char text[] = "Load a picture";
    k_command* c = cs.Make("load", 701, 0, nullptr, 0, text);
    text[0] = 'X';
    EXPECT_STREQ(c->Description(), "Load a picture");
    EXPECT_EQ(cs.Make("activate", 702)->Description(), nullptr);
    EXPECT_STREQ(cs.Make("empty", 703, 0, nullptr, 0, "")->Description(), "");
}

TEST_F(KlibCommand, FoundByIdKeyAndName) {
    Commands cs;
    k_command* open = cs.Make("open", 710, 'o' | 0x2000000);
    k_command* snap = cs.Make("snap", 711, 0x10000);
    k_command* plain = cs.Make("plain", 712);
    EXPECT_EQ(FindCommandById(710), open);
    EXPECT_EQ(FindCommandById(711), snap);
    EXPECT_EQ(FindCommandById(712), plain);
    EXPECT_EQ(FindCommandByKey('o' | 0x2000000), open);
    EXPECT_EQ(FindCommandByKey(0x10000), snap);
    EXPECT_EQ(FindCommandByKey('o'), nullptr);
    EXPECT_EQ(FindCommandByKey(0), nullptr);  // commands without a key are not in that index
    EXPECT_EQ(FindCommandByName("open"), open);
    EXPECT_EQ(FindCommandByName("plain"), plain);
    EXPECT_EQ(FindCommandByName("Open"), nullptr);  // byte-wise: case counts
    EXPECT_EQ(FindCommandByName("ope"), nullptr);
    EXPECT_EQ(FindCommandByName(nullptr), nullptr);
    EXPECT_EQ(FindCommandById(713), nullptr);
    EXPECT_EQ(open->Key(), 'o' | 0x2000000);
}

TEST_F(KlibCommand, DestroyLeavesAllIndexes) {
    Commands cs;
    size_t before = CommandCount();
    k_command* c = cs.Make("gone", 720, 0x20000);
    EXPECT_EQ(CommandCount(), before + 1);
    cs.Destroy(c);
    EXPECT_EQ(CommandCount(), before);
    EXPECT_EQ(FindCommandById(720), nullptr);
    EXPECT_EQ(FindCommandByKey(0x20000), nullptr);
    EXPECT_EQ(FindCommandByName("gone"), nullptr);
}

TEST_F(KlibCommand, SetKeyMovesTheCommandInTheKeyIndex) {
    Commands cs;
    k_command* c = cs.Make("rekey", 725, 'r');
    c->SetKey('k');
    EXPECT_EQ(FindCommandByKey('r'), nullptr);
    EXPECT_EQ(FindCommandByKey('k'), c);
    c->SetKey(0);
    EXPECT_EQ(FindCommandByKey('k'), nullptr);
    EXPECT_EQ(FindCommandById(725), c);
}

TEST_F(KlibCommand, DuplicateIdIsReportedAndBothStayRegistered) {
    Commands cs;
    k_command* first = cs.Make("first", 730);
    testing::internal::CaptureStdout();
    k_command* second = cs.Make("second", 730);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "programmer error: k_command 730 already exists!\n"
              "                  New command \"second\" conflicts with \"first\"\n");
    EXPECT_EQ(FindCommandById(730), first);
    EXPECT_EQ(FindCommandByName("second"), second);
    cs.Destroy(first);
    EXPECT_EQ(FindCommandById(730), second);
}

TEST_F(KlibCommand, NoReportForADistinctId) {
    Commands cs;
    testing::internal::CaptureStdout();
    cs.Make("one", 740);
    cs.Make("one", 741);  // the same name is no error
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(KlibCommand, IndexesGrowBy256) {
    Commands cs;
    size_t start = CommandCount();
    EXPECT_EQ(CommandIndexRoom(), 256u);
    for (int i = 0; start + i < 256; ++i) cs.Make(("fill" + std::to_string(i)).c_str(), 10000 + i);
    EXPECT_EQ(CommandCount(), 256u);
    EXPECT_EQ(CommandIndexRoom(), 256u);
    cs.Make("one_more", 20000, 'x');
    EXPECT_EQ(CommandCount(), 257u);
    EXPECT_EQ(CommandIndexRoom(), 512u);
    // Every command is still found after the arrays moved.
    for (int i = 0; start + i < 256; ++i) {
        k_command* c = FindCommandById(10000 + i);
        ASSERT_NE(c, nullptr) << i;
        EXPECT_EQ(FindCommandByName(("fill" + std::to_string(i)).c_str()), c);
    }
    EXPECT_EQ(FindCommandByKey('x'), FindCommandById(20000));
}

TEST_F(KlibCommand, NamesSortByteWise) {
    Commands cs;
    const char* names[] = {"\xe9t\xe9", "zeta", "Alpha", "alpha", "_x", "\x7f", "a b"};
    std::vector<k_command*> made;
    for (int i = 0; i < 7; ++i) made.push_back(cs.Make(names[i], 750 + i));
    EXPECT_EQ(FindCommandByName("\xe9t\xe9"), made[0]);
    EXPECT_EQ(FindCommandByName("zeta"), made[1]);
    EXPECT_EQ(FindCommandByName("Alpha"), made[2]);
    EXPECT_EQ(FindCommandByName("alpha"), made[3]);
    EXPECT_EQ(FindCommandByName("_x"), made[4]);
    EXPECT_EQ(FindCommandByName("\x7f"), made[5]);
    EXPECT_EQ(FindCommandByName("a_b"), made[6]);
}

struct Seen {
    int calls = 0;
    uint32_t code = 0;
    k_object* target = nullptr;
    intptr_t id = 0;
    std::string text;
    bool hadText = false;
};

int Record(k_event* ev, intptr_t user) {
    Seen* s = reinterpret_cast<Seen*>(user);
    ++s->calls;
    s->code = ev->Code();
    s->target = ev->Target();
    s->id = (*ev)[kWordId];
    s->hadText = ev->Text() != nullptr;
    s->text = ev->Text() ? ev->Text() : "";
    return 1;
}

TEST_F(KlibCommand, HandlerGetsTheCommandEvent) {
    Commands cs;
    Seen seen;
    k_command* c = cs.Make("load", 760, 0, Record, reinterpret_cast<intptr_t>(&seen));
    EXPECT_EQ(c->HandlerMask(), kEvCommand);
    bool handled = false;
    EXPECT_TRUE(c->Invoke("c:/pictures/a.bmp", &handled));
    EXPECT_TRUE(handled);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.code, 1024u);
    EXPECT_EQ(seen.target, c);
    EXPECT_EQ(seen.id, 760);
    EXPECT_EQ(seen.text, "c:/pictures/a.bmp");
    EXPECT_TRUE(c->Invoke());
    EXPECT_EQ(seen.calls, 2);
    EXPECT_FALSE(seen.hadText);
}

TEST_F(KlibCommand, DisabledCommandIsNotRun) {
    Commands cs;
    Seen seen;
    k_command* c = cs.Make("off", 770, 0, Record, reinterpret_cast<intptr_t>(&seen));
    c->Enable(false);
    bool handled = true;
    EXPECT_TRUE(c->Invoke(nullptr, &handled));
    EXPECT_FALSE(handled);
    EXPECT_EQ(seen.calls, 0);
    c->Enable(true);
    c->Invoke();
    EXPECT_EQ(seen.calls, 1);
}

TEST_F(KlibCommand, CommandEventsReachTheApplicationObject) {
    Commands cs;
    Seen seen;
    app_.AddHandler(Record, kEvCommand, reinterpret_cast<intptr_t>(&seen));
    k_command* c = cs.Make("bare", 780);
    c->Invoke("x");
    EXPECT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.target, c);
    EXPECT_EQ(seen.id, 780);
}

TEST_F(KlibCommand, NotRunWhileDispatchingIsOff) {
    Commands cs;
    Seen seen;
    k_command* c = cs.Make("early", 790, 0, Record, reinterpret_cast<intptr_t>(&seen));
    SetApplicationObject(nullptr);
    EXPECT_FALSE(c->Invoke());
    EXPECT_EQ(seen.calls, 0);
}

TEST_F(KlibCommand, ReleasedIndexesForgetTheCommands) {
    k_command* c = CreateCommand("late", 795);
    ASSERT_EQ(FindCommandById(795), c);
    std::unique_ptr<k_command> keep(c);
    ReleaseCommandIndexes();
    EXPECT_EQ(FindCommandById(795), nullptr);
    EXPECT_EQ(CommandCount(), 0u);
    keep.reset();  // harmless after the release
    k_command* d = CreateCommand("again", 796);
    EXPECT_EQ(FindCommandById(796), d);
    DestroyCommand(d);
}

}  // namespace
}  // namespace klib
