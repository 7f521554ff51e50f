#include "capture/numbering.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace gmbx {
namespace {

constexpr size_t kPathLimit = 260;

TEST(NumberedName, NamesAndWhatTheCounterBecomes) {
    struct Case {
        const char* base;
        int32_t count, max;
        bool increment;
        const char* extension;
        NumberedNameError error;
        const char* name;
        int32_t countAfter;
    };
    const int32_t top = std::numeric_limits<int32_t>::max();
    const Case cases[] = {
        {"C:\\shots\\cap", 7, 100, true, ".gif", NumberedNameError::None, "C:\\shots\\cap007.gif", 8},
        {"C:\\shots\\cap", 7, 0, true, ".gif", NumberedNameError::None, "C:\\shots\\cap7.gif", 8},
        {"C:\\shots\\cap", 7, 100, false, ".gif", NumberedNameError::None, "C:\\shots\\cap.gif", 7},
        {"cap", 100, 100, true, ".bmp", NumberedNameError::None, "cap100.bmp", 101},
        {"cap", 1234, 0, true, ".jpg", NumberedNameError::None, "cap1234.jpg", 1235},
        // The counter past its maximum, or at the end of its range, names
        // no file: a wider number would break the series' order.
        {"cap", 101, 100, true, ".bmp", NumberedNameError::PastMaximum, "", 101},
        {"cap", top, 0, true, ".bmp", NumberedNameError::PastMaximum, "", top},
        // Without a number the counter plays no part.
        {"cap", 101, 100, false, ".bmp", NumberedNameError::None, "cap.bmp", 101},
    };
    for (const Case& c : cases) {
        QuickSaveNumbering n;
        n.base = c.base;
        n.count = c.count;
        n.max = c.max;
        n.increment = c.increment;
        std::string name = "old";
        EXPECT_EQ(TakeNumberedName(n, c.extension, kPathLimit, &name), c.error) << c.base << " " << c.count;
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(n.count, c.countAfter);
    }
}

TEST(NumberedName, ANameBeyondThePathLimitIsRefused) {
    QuickSaveNumbering n;
    n.base = std::string(252, 'a');  // + "001" + ".gif" = 259 characters and the zero
    n.count = 1;
    n.max = 100;
    std::string name;
    EXPECT_EQ(TakeNumberedName(n, ".gif", kPathLimit, &name), NumberedNameError::None);
    EXPECT_EQ(name.size(), 259u);
    n.base += 'a';
    EXPECT_EQ(TakeNumberedName(n, ".gif", kPathLimit, &name), NumberedNameError::TooLong);
    EXPECT_TRUE(name.empty());
    EXPECT_EQ(n.count, 2);  // unchanged by the refusal
}

TEST(LearnNumbering, FromTheNameTheUserSavedUnder) {
    struct Case {
        const char* path;
        const char* base;
        int32_t count;
    };
    const Case cases[] = {
        {"shot12.png", "shot", 13},
        {"final.bmp", "final", 1},
        {"C:\\shots\\cap007.gif", "C:\\shots\\cap", 8},
        {"C:\\set2\\final.bmp", "C:\\set2\\final", 1},  // digits of the folder do not count
        {"scan5b.jpg", "scan", 6},                      // the nearest digits before the extension
        {"C:\\v1.2\\noext", "C:\\v1.2\\noext", 1},
        {"9.gif", "", 10},
    };
    for (const Case& c : cases) {
        QuickSaveNumbering n;
        n.base = "before";
        n.count = 50;
        EXPECT_TRUE(LearnNumbering(c.path, n)) << c.path;
        EXPECT_EQ(n.base, c.base) << c.path;
        EXPECT_EQ(n.count, c.count) << c.path;
    }
    QuickSaveNumbering n;
    n.base = "before";
    n.count = 50;
    EXPECT_FALSE(LearnNumbering("shot2147483647.png", n));
    EXPECT_EQ(n.base, "before");
    EXPECT_EQ(n.count, 50);
}

TEST(AutoSaveForm, FieldsAsTheDialogShowsAndReadsThem) {
    WindowSettings s;
    s.quickSaveName = "C:\\shots\\cap";
    s.quickSave.formatCode = kFormatGif;
    s.quickSaveCount = 7;
    AutoSaveForm f = AutoSaveFormOf(s, 2500, true);
    EXPECT_EQ(f.name, "C:\\shots\\cap.gif");
    EXPECT_EQ(f.seconds, "2.5");
    EXPECT_EQ(f.count, "7");
    EXPECT_TRUE(f.keepGoing);
    s.quickSave.formatCode = 999;  // a format of the add-on: written as BMP
    EXPECT_EQ(AutoSaveFormOf(s, 0, false).name, "C:\\shots\\cap.bmp");
    s.quickSaveName.clear();
    EXPECT_EQ(AutoSaveFormOf(s, 0, false).name, "");
    // The longest interval reads back as it is shown.
    AutoSaveForm longest = AutoSaveFormOf(s, 2147483000u, false);
    EXPECT_EQ(longest.seconds, "2147483");
    EXPECT_EQ(AutoSaveFormOf(s, 0, false).seconds, "0");
    EXPECT_EQ(AutoSaveFormOf(s, 1005, false).seconds, "1.005");

    AutoSaveChoice c;
    ASSERT_EQ(ReadAutoSaveForm(f, &c), AutoSaveFormError::None);
    EXPECT_EQ(c.name, "C:\\shots\\cap");
    EXPECT_EQ(c.formatCode, kFormatGif);
    EXPECT_EQ(c.intervalMs, 2500u);
    EXPECT_TRUE(c.numbering);
    EXPECT_EQ(c.count, 7);
    EXPECT_EQ(c.max, 100);
}

TEST(AutoSaveForm, NameIntervalAndNumberRules) {
    struct Case {
        const char* name;
        const char* count;
        const char* max;
        const char* seconds;
        bool increment;
        AutoSaveFormError error;
        const char* base;
        int32_t format;
        uint32_t ms;
    };
    const Case cases[] = {
        {"cap.jpeg", "1", "0", "0.0004", true, AutoSaveFormError::None, "cap", kFormatJpeg, 0},
        {"cap.x", "1", "0", "0.0005", true, AutoSaveFormError::None, "cap", 0, 1},
        {"cap.tiff", "1", "0", "1.2345", true, AutoSaveFormError::None, "cap", 0, 1235},
        {"my.pictures", "1", "0", "3", true, AutoSaveFormError::None, "my.pictures", 0, 3000},
        {"C:\\a.b\\c", "1", "0", "3", true, AutoSaveFormError::None, "C:\\a.b\\c", 0, 3000},
        {"cap", "1", "0", "2147483", true, AutoSaveFormError::None, "cap", 0, 2147483000u},
        // Without a name there is no timed capture, whatever the fields say.
        {"", "x", "y", "z", true, AutoSaveFormError::None, "", 0, 0},
        {"cap", "-1", "0", "1", true, AutoSaveFormError::Count, "", 0, 0},
        {"cap", "1", "2147483648", "1", true, AutoSaveFormError::Max, "", 0, 0},
        {"cap", "101", "100", "1", true, AutoSaveFormError::CountAboveMax, "", 0, 0},
        {"cap", "101", "100", "1", false, AutoSaveFormError::None, "cap", 0, 1000},
        {"cap", "1", "0", "-1", true, AutoSaveFormError::Interval, "", 0, 0},
        {"cap", "1", "0", "1,5", true, AutoSaveFormError::Interval, "", 0, 0},
        {"cap", "1", "0", "1e3", true, AutoSaveFormError::Interval, "", 0, 0},
        {"cap", "1", "0", "2147484", true, AutoSaveFormError::Interval, "", 0, 0},
        {"cap", "1", "0", ".", true, AutoSaveFormError::Interval, "", 0, 0},
    };
    for (const Case& c : cases) {
        AutoSaveForm f;
        f.name = c.name;
        f.count = c.count;
        f.max = c.max;
        f.seconds = c.seconds;
        f.increment = c.increment;
        AutoSaveChoice choice;
        choice.name = "untouched";
        ASSERT_EQ(ReadAutoSaveForm(f, &choice), c.error) << c.name << " " << c.seconds;
        if (c.error != AutoSaveFormError::None) {
            EXPECT_EQ(choice.name, "untouched");
            continue;
        }
        EXPECT_EQ(choice.name, c.base);
        EXPECT_EQ(choice.formatCode, c.format);
        EXPECT_EQ(choice.intervalMs, c.ms) << c.seconds;
        EXPECT_EQ(choice.numbering, *c.name != '\0');
    }
}

}  // namespace
}  // namespace gmbx
