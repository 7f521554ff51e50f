// Inter-process messages of klib: inbound buffer, command messages, child table.
#include "klib/ipc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace klib {
namespace {

// --- Inbound buffer --------------------------------------------------------

TEST(IpcInbound, StartsEmpty) {
    InboundBuffer b;
    EXPECT_FALSE(b.Busy());
    EXPECT_FALSE(b.Pending());
    EXPECT_EQ(b.Kind(), kPendingNone);
    EXPECT_EQ(b.Slot(), 0);
    EXPECT_STREQ(b.Text(), "");
}

TEST(IpcInbound, StoresATextWithItsKindAndSlot) {
    InboundBuffer b;
    const char text[] = "activate";
    ASSERT_TRUE(b.Store(text, sizeof text, kPendingCommand, 5));
    EXPECT_TRUE(b.Busy());
    EXPECT_TRUE(b.Pending());
    EXPECT_EQ(b.Kind(), kPendingCommand);
    EXPECT_EQ(b.Slot(), 5);
    EXPECT_STREQ(b.Text(), "activate");
}

TEST(IpcInbound, RefusesASecondMessageUntilTaken) {
    InboundBuffer b;
    ASSERT_TRUE(b.Store("one", 4, kPendingData, 1));
    EXPECT_FALSE(b.Store("two", 4, kPendingCommand, 2));
    EXPECT_EQ(b.Kind(), kPendingData);
    EXPECT_EQ(b.Slot(), 1);
    EXPECT_EQ(b.Take(), "one");
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(b.Slot(), 0);
    ASSERT_TRUE(b.Store("two", 4, kPendingCommand, 2));
    EXPECT_EQ(b.Take(), "two");
    EXPECT_EQ(b.Take(), "");
}

TEST(IpcInbound, TextWithoutTerminatingZero) {
    // Exactly the bytes given, in a heap block of that size so that the
    // sanitizer sees any read past it.
    std::unique_ptr<char[]> bytes(new char[5]);
    std::memcpy(bytes.get(), "hello", 5);
    InboundBuffer b;
    ASSERT_TRUE(b.Store(bytes.get(), 5, kPendingCommand, 1));
    EXPECT_STREQ(b.Text(), "hello");
}

TEST(IpcInbound, LongerThanTheBufferIsCutAt1023) {
    std::vector<char> big(5000, 'x');  // no zero anywhere
    InboundBuffer b;
    ASSERT_TRUE(b.Store(big.data(), big.size(), kPendingCommand, 1));
    EXPECT_EQ(std::strlen(b.Text()), kInboundSize - 1);
    EXPECT_EQ(b.Take(), std::string(kInboundSize - 1, 'x'));

    std::vector<char> exact(kInboundSize, 'y');
    ASSERT_TRUE(b.Store(exact.data(), exact.size(), kPendingData, 2));
    EXPECT_EQ(std::strlen(b.Text()), kInboundSize - 1);

    b.Clear();
    std::vector<char> fits(kInboundSize - 1, 'z');
    ASSERT_TRUE(b.Store(fits.data(), fits.size(), kPendingData, 2));
    EXPECT_EQ(std::string(b.Text()), std::string(kInboundSize - 1, 'z'));
}

TEST(IpcInbound, EmbeddedZeroEndsTheText) {
    InboundBuffer b;
    ASSERT_TRUE(b.Store("load\0junk", 9, kPendingCommand, 1));
    EXPECT_STREQ(b.Text(), "load");
}

TEST(IpcInbound, EmptyMessage) {
    InboundBuffer b;
    ASSERT_TRUE(b.Store(nullptr, 0, kPendingData, 3));
    EXPECT_TRUE(b.Pending());
    EXPECT_STREQ(b.Text(), "");
    EXPECT_EQ(b.Take(), "");
}

TEST(IpcInbound, TwoStepReceiveIsBusyWhileReceiving) {
    InboundBuffer b;
    char* dst = b.BeginReceive(7);
    ASSERT_NE(dst, nullptr);
    EXPECT_EQ(b.Kind(), kPendingReceiving);
    EXPECT_TRUE(b.Busy());
    EXPECT_FALSE(b.Pending());
    EXPECT_EQ(b.BeginReceive(8), nullptr);
    EXPECT_FALSE(b.Store("x", 1, kPendingData, 8));
    // The writer filled the whole buffer without a zero and says so with
    // a count beyond it.
    std::memset(dst, 'q', kInboundSize);
    b.FinishReceive(kInboundSize + 100, kPendingCommand);
    EXPECT_EQ(b.Kind(), kPendingCommand);
    EXPECT_EQ(b.Slot(), 7);
    EXPECT_EQ(std::strlen(b.Text()), kInboundSize - 1);
}

TEST(IpcInbound, FinishWithoutBeginChangesNothing) {
    InboundBuffer b;
    b.FinishReceive(3, kPendingCommand);
    EXPECT_FALSE(b.Busy());
    ASSERT_TRUE(b.Store("abc", 3, kPendingData, 1));
    b.FinishReceive(0, kPendingCommand);
    EXPECT_EQ(b.Kind(), kPendingData);
    EXPECT_STREQ(b.Text(), "abc");
}

TEST(IpcInbound, FinishWithAnotherKindEmptiesTheBuffer) {
    InboundBuffer b;
    ASSERT_NE(b.BeginReceive(1), nullptr);
    b.FinishReceive(0, kPendingNone);
    EXPECT_FALSE(b.Busy());
    EXPECT_EQ(b.Slot(), 0);
}

// --- Command messages ------------------------------------------------------

TEST(IpcCommandParse, EmptyAndBlankTexts) {
    EXPECT_EQ(ParseIpcCommand(nullptr).kind, IpcCommandKind::kEmpty);
    EXPECT_EQ(ParseIpcCommand("").kind, IpcCommandKind::kEmpty);
    IpcCommand c = ParseIpcCommand(" \t\r\n  \n");
    EXPECT_EQ(c.kind, IpcCommandKind::kEmpty);
    EXPECT_EQ(c.word, "");
    EXPECT_FALSE(c.hasArgument);
}

TEST(IpcCommandParse, TerminateWithAndWithoutCode) {
    IpcCommand c = ParseIpcCommand("ipm_terminate");
    EXPECT_EQ(c.kind, IpcCommandKind::kTerminate);
    EXPECT_EQ(c.code, 1);
    EXPECT_EQ(ParseIpcCommand("ipm_terminate 42").code, 42);
    EXPECT_EQ(ParseIpcCommand("ipm_terminate\t-3\r\n").code, -3);
    EXPECT_EQ(ParseIpcCommand("ipm_terminate 0").code, 0);
    EXPECT_EQ(ParseIpcCommand("  IPM_Terminate   7 trailing words").code, 7);
    EXPECT_EQ(ParseIpcCommand("ipm_terminate\n\n").code, 1);
}

TEST(IpcCommandParse, CodeThatIsNoNumberGivesTheDefault) {
    EXPECT_EQ(ParseIpcCommand("ipm_terminate now").code, 1);
    EXPECT_EQ(ParseIpcCommand("ipm_terminate -").code, 1);
    EXPECT_EQ(ParseIpcCommand("ipm_child_terminated x5").code, 0);
    // Digits first: what follows them in the word is ignored.
    EXPECT_EQ(ParseIpcCommand("ipm_terminate 12abc").code, 12);
}

TEST(IpcCommandParse, HugeCodesSaturate) {
    EXPECT_EQ(ParseIpcCommand("ipm_terminate 99999999999999999999999").code, 2147483647);
    EXPECT_EQ(ParseIpcCommand("ipm_terminate -99999999999999999999999").code, -2147483647 - 1);
}

TEST(IpcCommandParse, ChildTerminated) {
    IpcCommand c = ParseIpcCommand("ipm_child_terminated 5");
    EXPECT_EQ(c.kind, IpcCommandKind::kChildTerminated);
    EXPECT_EQ(c.code, 5);
    EXPECT_EQ(ParseIpcCommand("ipm_child_terminated").code, 0);
    EXPECT_EQ(ParseIpcCommand("Ipm_Child_Terminated   \t").code, 0);
}

TEST(IpcCommandParse, ChildStarted) {
    IpcCommand c = ParseIpcCommand("ipm_child_started gmbx, 1234");
    EXPECT_EQ(c.kind, IpcCommandKind::kChildStarted);
    EXPECT_TRUE(c.childValid);
    EXPECT_EQ(c.childService, "gmbx");
    EXPECT_EQ(c.childPid, 1234u);

    c = ParseIpcCommand("ipm_child_started\tgrab tool ,\t4294967295\r\n");
    EXPECT_TRUE(c.childValid);
    EXPECT_EQ(c.childService, "grab tool");
    EXPECT_EQ(c.childPid, 4294967295u);

    c = ParseIpcCommand("ipm_child_started ,17");
    EXPECT_TRUE(c.childValid);
    EXPECT_EQ(c.childService, "");
    EXPECT_EQ(c.childPid, 17u);
}

TEST(IpcCommandParse, ChildStartedWithoutACommaIsMalformed) {
    IpcCommand c = ParseIpcCommand("ipm_child_started gmbx 1234");
    EXPECT_EQ(c.kind, IpcCommandKind::kChildStarted);
    EXPECT_FALSE(c.childValid);
    EXPECT_EQ(c.childPid, 0u);
    EXPECT_EQ(c.childService, "gmbx 1234");
    EXPECT_FALSE(ParseIpcCommand("ipm_child_started").childValid);
    EXPECT_FALSE(ParseIpcCommand("ipm_child_started   ").childValid);
}

TEST(IpcCommandParse, ChildStartedWithANonNumberIsMalformed) {
    for (const char* text : {"ipm_child_started gmbx, abc", "ipm_child_started gmbx, 12ab",
                             "ipm_child_started gmbx, -5", "ipm_child_started gmbx,", "ipm_child_started gmbx,  ",
                             "ipm_child_started gmbx, 0", "ipm_child_started gmbx, 4294967296",
                             "ipm_child_started gmbx, 99999999999999999999999999", "ipm_child_started gmbx, 1 2",
                             "ipm_child_started a, b, 3"}) {
        IpcCommand c = ParseIpcCommand(text);
        EXPECT_EQ(c.kind, IpcCommandKind::kChildStarted) << text;
        EXPECT_FALSE(c.childValid) << text;
        EXPECT_EQ(c.childPid, 0u) << text;
    }
}

TEST(IpcCommandParse, NamedCommandWithoutArgument) {
    IpcCommand c = ParseIpcCommand("activate");
    EXPECT_EQ(c.kind, IpcCommandKind::kNamed);
    EXPECT_EQ(c.word, "activate");
    EXPECT_FALSE(c.hasArgument);
    EXPECT_EQ(c.argument, "");
    // Blanks and control characters after the word are no argument either.
    c = ParseIpcCommand("ACTIVATE \t\r\n\x01\x7f");
    EXPECT_EQ(c.word, "activate");
    EXPECT_FALSE(c.hasArgument);
}

TEST(IpcCommandParse, NamedCommandArgumentIsTheRestAsItIs) {
    IpcCommand c = ParseIpcCommand("Load   c:\\My Pictures\\a b.bmp");
    EXPECT_EQ(c.kind, IpcCommandKind::kNamed);
    EXPECT_EQ(c.word, "load");
    EXPECT_TRUE(c.hasArgument);
    EXPECT_EQ(c.argument, "c:\\My Pictures\\a b.bmp");

    c = ParseIpcCommand("\r\n load\t\x02\x03 x  y \r\n");
    EXPECT_EQ(c.word, "load");
    EXPECT_EQ(c.argument, "x  y \r\n");
}

TEST(IpcCommandParse, OnlyLettersAreLowerCased) {
    IpcCommand c = ParseIpcCommand("MiXeD_123\xC4\xD6 Arg");
    EXPECT_EQ(c.word, "mixed_123\xC4\xD6");
    EXPECT_EQ(c.argument, "Arg");
}

TEST(IpcCommandParse, ControlCharactersOtherThanLineEndsStayInTheWord) {
    IpcCommand c = ParseIpcCommand("act\x01ivate rest");
    EXPECT_EQ(c.word, "act\x01ivate");
    EXPECT_EQ(c.argument, "rest");
}

TEST(IpcCommandParse, LongCommandWord) {
    std::string word(200, 'W');
    IpcCommand c = ParseIpcCommand((word + " tail").c_str());
    EXPECT_EQ(c.kind, IpcCommandKind::kNamed);
    EXPECT_EQ(c.word, std::string(200, 'w'));
    EXPECT_EQ(c.argument, "tail");

    // A word filling the whole inbound buffer, straight from it.
    std::vector<char> big(3000, 'A');
    InboundBuffer b;
    ASSERT_TRUE(b.Store(big.data(), big.size(), kPendingCommand, 1));
    c = ParseIpcCommand(b.Text());
    EXPECT_EQ(c.word, std::string(kInboundSize - 1, 'a'));
    EXPECT_FALSE(c.hasArgument);
}

TEST(IpcCommandParse, WordsThatOnlyBeginLikeChannelMessagesAreNamed) {
    EXPECT_EQ(ParseIpcCommand("ipm_terminatex").kind, IpcCommandKind::kNamed);
    EXPECT_EQ(ParseIpcCommand("ipm_child_started,x,1").kind, IpcCommandKind::kNamed);
    EXPECT_EQ(ParseIpcCommand("ipm").kind, IpcCommandKind::kNamed);
}

// --- Child table -----------------------------------------------------------

TEST(IpcChildren, StartsEmpty) {
    ChildTable t;
    for (int i = 0; i < kMaxChildren; ++i) {
        ASSERT_NE(t.At(i), nullptr);
        EXPECT_EQ(t.At(i)->pid, 0u);
        EXPECT_EQ(t.At(i)->slot, 0);
        EXPECT_FALSE(t.At(i)->terminated);
    }
    EXPECT_EQ(t.At(-1), nullptr);
    EXPECT_EQ(t.At(kMaxChildren), nullptr);
    EXPECT_EQ(t.FindBySlot(1), -1);
    EXPECT_EQ(t.FindBySlot(0), -1);
    EXPECT_EQ(t.FindByPid(0), -1);
}

TEST(IpcChildren, RegistersInOrder) {
    ChildTable t;
    EXPECT_EQ(t.Register(100, 1), 0);
    EXPECT_EQ(t.Register(200, 2), 1);
    EXPECT_EQ(t.At(1)->pid, 200u);
    EXPECT_EQ(t.At(1)->slot, 2);
    EXPECT_EQ(t.FindBySlot(2), 1);
    EXPECT_EQ(t.FindByPid(100), 0);
}

TEST(IpcChildren, KnownProcessOnlyGetsItsSlotUpdated) {
    ChildTable t;
    ASSERT_EQ(t.Register(100, 1), 0);
    ASSERT_TRUE(t.StoreText(0, "hello"));
    ASSERT_TRUE(t.MarkTerminated(0, 3));
    EXPECT_EQ(t.Register(100, 9), 0);
    EXPECT_EQ(t.At(0)->slot, 9);
    EXPECT_TRUE(t.At(0)->terminated);
    EXPECT_EQ(t.At(0)->exitCode, 3);
    EXPECT_STREQ(t.At(0)->latest, "hello");
}

TEST(IpcChildren, PrefersARecordWithoutIdAndSlot) {
    ChildTable t;
    // Record 0 has a slot but no id (as the parent entry of a child has),
    // record 1 is in use, record 2 is entirely free.
    ASSERT_TRUE(t.RegisterAt(0, 0, 4));
    ASSERT_TRUE(t.RegisterAt(1, 500, 5));
    EXPECT_EQ(t.Register(600, 6), 2);
    EXPECT_EQ(t.At(0)->slot, 4);
}

TEST(IpcChildren, FallsBackToARecordWithoutIdOnly) {
    ChildTable t;
    for (int i = 0; i < kMaxChildren; ++i) ASSERT_TRUE(t.RegisterAt(i, 1000 + i, i + 1));
    ASSERT_TRUE(t.RegisterAt(17, 0, 3));
    ASSERT_TRUE(t.RegisterAt(30, 0, 8));
    int n = t.Register(77, 12);
    EXPECT_EQ(n, 17);
    EXPECT_EQ(t.At(17)->pid, 77u);
    EXPECT_EQ(t.At(17)->slot, 12);
    EXPECT_EQ(t.Register(78, 13), 30);
    EXPECT_EQ(t.Register(79, 14), -1);
    // Still found when known.
    EXPECT_EQ(t.Register(1005, 2), 5);
}

TEST(IpcChildren, ANewRecordStartsClean) {
    ChildTable t;
    ASSERT_TRUE(t.RegisterAt(0, 0, 2));
    ASSERT_TRUE(t.StoreText(0, "old"));
    ASSERT_TRUE(t.MarkTerminated(0, 9));
    ASSERT_TRUE(t.RegisterAt(1, 1, 1));
    // Only record 0 is free now (id zero); it is reused and cleaned.
    for (int i = 2; i < kMaxChildren; ++i) ASSERT_TRUE(t.RegisterAt(i, 100 + i, 1));
    EXPECT_EQ(t.Register(55, 3), 0);
    EXPECT_FALSE(t.At(0)->terminated);
    EXPECT_EQ(t.At(0)->exitCode, 0);
    EXPECT_STREQ(t.At(0)->latest, "");
    EXPECT_STREQ(t.At(0)->previous, "");
}

TEST(IpcChildren, ProcessIdZeroIsRefused) {
    ChildTable t;
    EXPECT_EQ(t.Register(0, 1), -1);
    EXPECT_EQ(t.At(0)->slot, 0);
}

TEST(IpcChildren, RegisterAtChecksTheNumber) {
    ChildTable t;
    EXPECT_FALSE(t.RegisterAt(-1, 1, 1));
    EXPECT_FALSE(t.RegisterAt(kMaxChildren, 1, 1));
    EXPECT_TRUE(t.RegisterAt(kMaxChildren - 1, 0, 3));
    EXPECT_EQ(t.FindBySlot(3), kMaxChildren - 1);
}

TEST(IpcChildren, FindBySlotPrefersARunningChild) {
    ChildTable t;
    ASSERT_EQ(t.Register(10, 4), 0);
    ASSERT_TRUE(t.MarkTerminated(0, 7));
    ASSERT_EQ(t.Register(20, 4), 1);
    EXPECT_EQ(t.FindBySlot(4), 1);
    ASSERT_TRUE(t.MarkTerminated(1, 0));
    EXPECT_EQ(t.FindBySlot(4), 0);
    EXPECT_EQ(t.FindBySlot(5), -1);
}

TEST(IpcChildren, DetachSlotFreesTheSlotOfAllItsRecords) {
    ChildTable t;
    ASSERT_EQ(t.Register(10, 4), 0);
    ASSERT_TRUE(t.MarkTerminated(0, 7));
    ASSERT_EQ(t.Register(20, 4), 1);
    ASSERT_TRUE(t.RegisterAt(2, 0, 4));
    ASSERT_EQ(t.Register(30, 5), 3);
    t.DetachSlot(4);
    EXPECT_EQ(t.FindBySlot(4), -1);
    EXPECT_EQ(t.At(0)->slot, 0);
    EXPECT_EQ(t.At(1)->slot, 0);
    EXPECT_EQ(t.At(1)->pid, 20u);
    EXPECT_EQ(t.At(3)->slot, 5);
    // The parent-style record (no id) is entirely free again and is taken
    // first by the next registration.
    EXPECT_EQ(t.Register(40, 6), 2);
    t.DetachSlot(0);
    EXPECT_EQ(t.At(3)->slot, 5);
}

TEST(IpcChildren, TextsKeepTheLastTwoCutAt255) {
    ChildTable t;
    ASSERT_EQ(t.Register(10, 1), 0);
    ASSERT_TRUE(t.StoreText(0, "first"));
    ASSERT_TRUE(t.StoreText(0, "second"));
    EXPECT_STREQ(t.At(0)->latest, "second");
    EXPECT_STREQ(t.At(0)->previous, "first");
    std::string big(1000, 'k');
    ASSERT_TRUE(t.StoreText(0, big.c_str()));
    EXPECT_EQ(std::string(t.At(0)->latest), std::string(kChildTextSize - 1, 'k'));
    EXPECT_STREQ(t.At(0)->previous, "second");
    ASSERT_TRUE(t.StoreText(0, nullptr));
    EXPECT_STREQ(t.At(0)->latest, "");
    EXPECT_FALSE(t.StoreText(40, "x"));
    EXPECT_FALSE(t.StoreText(-1, "x"));
}

TEST(IpcChildren, MarkTerminatedChecksTheNumber) {
    ChildTable t;
    EXPECT_FALSE(t.MarkTerminated(-1, 1));
    EXPECT_FALSE(t.MarkTerminated(kMaxChildren, 1));
    EXPECT_TRUE(t.MarkTerminated(3, 2));
    EXPECT_TRUE(t.At(3)->terminated);
    EXPECT_EQ(t.At(3)->exitCode, 2);
    t.Clear();
    EXPECT_FALSE(t.At(3)->terminated);
}

}  // namespace
}  // namespace klib
