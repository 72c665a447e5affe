#include "convert/core/labels.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using elk::ObjectKind;

TEST(DatabaseDate, OrdersSeparatorsAndFlags) {
    struct Row {
        int order;
        const char16_t* separator;
        uint32_t flags;
        const char16_t* date;
    };
    const Row rows[] = {
        /* 0 */ {1, u".", 0, u"13.02.2009"},
        /* 1 */ {1, u".", 0x02, u"13.02.09"},
        /* 2 */ {1, u".", 0x10, u"13.02"},
        /* 3 */ {1, u".", 0x12, u"13.02"},
        /* 4 */ {0, u"/", 0, u"02/13/2009"},
        /* 5 */ {0, u"/", 0x02, u"02/13/09"},
        /* 6 */ {0, u"/", 0x10, u"02/13"},
        /* 7 */ {2, u"-", 0, u"2009-02-13"},
        /* 8 */ {2, u"-", 0x02, u"09-02-13"},
        /* 9 */ {2, u"-", 0x10, u"02-13"},
        /* 10 an unknown order reads as month-day-year */ {7, u".", 0, u"02.13.2009"},
        /* 11 a separator of two characters is replaced */ {1, u"::", 0, u"13/02/2009"},
        /* 12 */ {1, u"", 0, u"13/02/2009"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::databaseDate({2009, 2, 13}, rows[i].order, rows[i].separator, rows[i].flags), rows[i].date)
            << "row " << i;
    EXPECT_EQ(elk::databaseDate({2000, 1, 5}, 1, u".", 0x02), u"05.01.00");
}

TEST(DatabaseLabel, VersionDateOrBoth) {
    struct Row {
        uint32_t first, second;
        const char16_t* date;
        uint32_t flags;
        const char16_t* label;
    };
    const Row rows[] = {
        /* 0 */ {0x090213, 1, u"13.02.2009", 0, u"090213-1, 13.02.2009"},
        /* 1 */ {0x090213, 1, u"13.02.2009", 0x08, u"090213-1"},
        /* 2 */ {0x090213, 1, u"13.02.2009", 0x04, u"13.02.2009"},
        /* 3 version-only wins */ {0x090213, 1, u"13.02.2009", 0x0C, u"090213-1"},
        /* 4 */ {0x1234567, 0xabc, u"x", 0, u"1234567-abc, x"},
        /* 5 */ {0xFFFFFFFF, 0xFFFFFFFF, u"d", 0, u"ffffffff-ffffffff, d"},
        /* 6 no date, no dangling comma */ {0x12, 0, u"", 0, u"000012-0"},
        /* 7 */ {0x12, 0, u"", 0x04, u""},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::databaseLabel(rows[i].first, rows[i].second, rows[i].date, rows[i].flags), rows[i].label)
            << "row " << i;
}

TEST(DetectionDescription, WordsByFlags) {
    struct Row {
        uint8_t flags;
        unsigned first, second;
    };
    const Row rows[] = {
        /* 0 */ {0x00, 0, 0},
        /* 1 */ {0x01, 6224, 0},
        /* 2 */ {0x02, 6224, 0},
        /* 3 */ {0x08, 6227, 0},
        /* 4 */ {0x10, 6227, 0},
        /* 5 */ {0x11, 6226, 0},
        /* 6 */ {0x1B, 6226, 0},
        /* 7 */ {0x04, 0, 6228},
        /* 8 */ {0x20, 0, 6230},
        /* 9 0x20 wins */ {0x24, 0, 6230},
        /* 10 */ {0x3F, 6226, 6230},
        /* 11 */ {0xC0, 0, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const elk::DescriptionWords w = elk::descriptionWords(rows[i].flags);
        EXPECT_EQ(w.first, rows[i].first) << "row " << i;
        EXPECT_EQ(w.second, rows[i].second) << "row " << i;
    }
}

TEST(DetectionDescription, AWordIsAddedWholeOrNotAtAll) {
    std::u16string text;
    EXPECT_FALSE(elk::appendDescriptionWord(text, u"Virus", 7));
    EXPECT_EQ(text, u"");
    EXPECT_TRUE(elk::appendDescriptionWord(text, u"Virus", 8));
    EXPECT_EQ(text, u"Virus ");
    EXPECT_FALSE(elk::appendDescriptionWord(text, u"variant of", 18));
    EXPECT_TRUE(elk::appendDescriptionWord(text, u"variant of", 19));
    EXPECT_EQ(text, u"Virus variant of ");
}

TEST(TaskStatus, Texts) {
    EXPECT_EQ(elk::taskStatusText(0x20000000, 5), u"Done");
    EXPECT_EQ(elk::taskStatusText(0x30000000, 5), u"Canceled");
    EXPECT_EQ(elk::taskStatusText(0x70000000, 5), u"Processing");
    EXPECT_EQ(elk::taskStatusText(0x50000000, 5), u"Failed(0x00000005)");
    EXPECT_EQ(elk::taskStatusText(0x50000000, 0x8007ABCD), u"Failed(0x8007ABCD)");
    EXPECT_EQ(elk::taskStatusText(0x60000000, 5), u"Waiting");
    EXPECT_EQ(elk::taskStatusText(0, 0), u"Waiting");
}

TEST(TaskName, Rules) {
    struct Row {
        const char16_t* name;
        bool keep, whs;
        unsigned id;
    };
    const Row rows[] = {
        /* 0 */ {u"My scan", true, false, 0},    /* 1 */ {u"", true, false, 0},
        /* 2 */ {u"*WHSBackup", false, true, 0}, /* 3 */ {u"*whs", false, true, 0},
        /* 4 */ {u"*SSaver", false, false, 200}, /* 5 */ {u"*ssaver", false, false, 200},
        /* 6 */ {u"*Quick", false, false, 202},  /* 7 */ {u"*Simple", false, false, 201},
        /* 8 */ {u"*SPLASH", false, false, 209}, /* 9 whole names only */ {u"*Splashy", false, false, 11},
        /* 10 */ {u"*", false, false, 11},       /* 11 */ {u"WHS*", true, false, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const elk::TaskNameRule r = elk::taskNameRule(rows[i].name);
        EXPECT_EQ(r.keep, rows[i].keep) << "row " << i;
        EXPECT_EQ(r.whs, rows[i].whs) << "row " << i;
        EXPECT_EQ(r.textId, rows[i].id) << "row " << i;
    }
}

TEST(ObjectName, Kinds) {
    struct Row {
        const char16_t* name;
        ObjectKind kind;
        uint32_t disk;
        const char16_t* rest;
    };
    const Row rows[] = {
        /* 0 */ {u"*MBR1", ObjectKind::BootRecord, 1, u""},
        /* 1 */ {u"*mbr0", ObjectKind::BootRecord, 0, u""},
        /* 2 no digit: a path */ {u"*MBR", ObjectKind::Path, 0, u""},
        /* 3 */ {u"*MBRx", ObjectKind::Path, 0, u""},
        /* 4 */ {u"*BOOTC:", ObjectKind::BootSector, 0, u"C:"},
        /* 5 */ {u"*boot", ObjectKind::BootSector, 0, u""},
        /* 6 no separator */ {u"*PROCESS", ObjectKind::Path, 0, u""},
        /* 7 */ {u"*OTHER", ObjectKind::Path, 0, u""},
        /* 8 */ {u"C:\\file.txt", ObjectKind::Path, 0, u""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const elk::ObjectName o = elk::parseObjectName(rows[i].name);
        EXPECT_EQ(o.kind, rows[i].kind) << "row " << i;
        EXPECT_EQ(o.disk, rows[i].disk) << "row " << i;
        EXPECT_EQ(o.rest, rows[i].rest) << "row " << i;
    }
}

TEST(ObjectName, ProcessDescriptions) {
    struct Row {
        std::u16string name;
        uint32_t id;
        std::u16string process;
        uint64_t first, second;
    };
    const std::u16string longName(300, u'n');
    const Row rows[] = {
        /* 0 */ {u"*PROCESS:1F4", 500, u"", 0, 0},
        /* 1 */ {u"*process:1f4\\explorer.exe\\7FF00000\\2000", 500, u"explorer.exe", 0x7FF00000, 0x2000},
        /* 2 */ {u"*PROCESS:10\\svc.exe", 16, u"svc.exe", 0, 0},
        /* 3 */ {u"*PROCESS:10\\svc.exe\\FFFFFFFFFFFFFFFF", 16, u"svc.exe", UINT64_MAX, 0},
        /* 4 too large numbers saturate */
        {u"*PROCESS:123456789\\a\\123456789ABCDEF01", 0xFFFFFFFF, u"a", UINT64_MAX, 0},
        /* 5 */ {u"*PROCESS:", 0, u"", 0, 0},
        /* 6 a name only after a backslash */ {u"*PROCESS:1F4 x\\y", 500, u"", 0, 0},
        /* 7 */ {u"*PROCESS:1F4\\\\5\\6", 500, u"", 5, 6},
        /* 8 the name is cut, the numbers still read */
        {u"*PROCESS:2\\" + longName + u"\\A\\B", 2, longName.substr(0, 255), 10, 11},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const elk::ObjectName o = elk::parseObjectName(rows[i].name);
        EXPECT_EQ(o.kind, ObjectKind::Process) << "row " << i;
        EXPECT_EQ(o.processId, rows[i].id) << "row " << i;
        EXPECT_EQ(o.processName, rows[i].process) << "row " << i;
        EXPECT_EQ(o.first, rows[i].first) << "row " << i;
        EXPECT_EQ(o.second, rows[i].second) << "row " << i;
    }
}

}  // namespace
