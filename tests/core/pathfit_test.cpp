#include "convert/core/pathfit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using elk::FitResult;

// One unit per character, recording what was measured.
struct Ruler {
    std::vector<std::u16string> measured;
    elk::MeasureText fn() {
        return [this](std::u16string_view s) {
            measured.emplace_back(s);
            return static_cast<int64_t>(s.size());
        };
    }
};

TEST(FitPath, DropsFoldersFromTheLastOneOn) {
    const std::u16string path = u"C:\\Program Files\\Suite\\Data\\report.txt";  // 38
    struct Row {
        int64_t max;
        FitResult result;
        const char16_t* fitted;
    };
    const Row rows[] = {
        /* 0 */ {38, FitResult::AlreadyFits, u"C:\\Program Files\\Suite\\Data\\report.txt"},
        /* 1 */ {37, FitResult::Shortened, u"C:\\Program Files\\Suite\\...\\report.txt"},
        /* 2 */ {36, FitResult::Shortened, u"C:\\Program Files\\...\\report.txt"},
        /* 3 */ {31, FitResult::Shortened, u"C:\\Program Files\\...\\report.txt"},
        /* 4 */ {30, FitResult::Shortened, u"C:\\...\\report.txt"},
        /* 5 the narrowest form even when it is too wide */ {5, FitResult::Shortened, u"C:\\...\\report.txt"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::u16string p = path;
        Ruler ruler;
        EXPECT_EQ(elk::fitPath(p, rows[i].max, ruler.fn()), rows[i].result) << "row " << i;
        EXPECT_EQ(p, rows[i].fitted) << "row " << i;
    }
    std::u16string p = path;
    Ruler ruler;
    elk::fitPath(p, 5, ruler.fn());
    EXPECT_EQ(ruler.measured,
              (std::vector<std::u16string>{path, u"C:\\Program Files\\Suite\\...\\report.txt",
                                           u"C:\\Program Files\\...\\report.txt", u"C:\\...\\report.txt"}));
}

TEST(FitPath, SeparatorsAndShapes) {
    struct Row {
        std::u16string path;
        FitResult result;
        std::u16string fitted;
    };
    const Row rows[] = {
        /* 0 one separator: nothing to drop */ {u"C:\\report.txt", FitResult::Unchanged, u"C:\\report.txt"},
        /* 1 */ {u"report.txt", FitResult::Unchanged, u"report.txt"},
        /* 2 a one-letter folder is not replaced by the longer "..." */
        {u"a\\b\\c", FitResult::Unchanged, u"a\\b\\c"},
        /* 3 the first candidate grows, the next does not */ {u"a/b/c/d.txt", FitResult::Shortened, u"a/.../d.txt"},
        /* 4 */ {u"Archive.zip|>folder|>inner|>file.txt", FitResult::Shortened, u"Archive.zip|>...|>file.txt"},
        /* 5 */ {u"C:\\Data\\arch.zip|>dir/file.txt", FitResult::Shortened, u"C:\\.../file.txt"},
        /* 6 */ {u"\\\\server\\share\\folder\\f.txt", FitResult::Shortened, u"\\...\\f.txt"},
        /* 7 */ {u"http://host/a/b/page.html", FitResult::Shortened, u"http:/.../page.html"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::u16string p = rows[i].path;
        Ruler ruler;
        EXPECT_EQ(elk::fitPath(p, 1, ruler.fn()), rows[i].result) << "row " << i;
        EXPECT_EQ(p, rows[i].fitted) << "row " << i;
    }
}

TEST(FitPath, LongPathsAndUnmeasurableTexts) {
    std::u16string path = u"C:";
    for (int i = 0; i < 30; ++i) path += u"\\folder-with-a-long-name-" + std::u16string(1, char16_t(u'a' + i % 26));
    path += u"\\f.txt";
    ASSERT_GT(path.size(), 600u);
    Ruler ruler;
    std::u16string p = path;
    EXPECT_EQ(elk::fitPath(p, 100, ruler.fn()), FitResult::Shortened);
    EXPECT_LE(p.size(), 100u);
    EXPECT_EQ(p.substr(p.size() - 10), u"\\...\\f.txt");
    for (const std::u16string& m : ruler.measured) EXPECT_TRUE(m == path || m.size() < 520) << m.size();

    // Nothing measures: every form counts as too wide, the narrowest is kept.
    p = u"C:\\a1\\b2\\c3\\d.txt";
    EXPECT_EQ(elk::fitPath(p, 1000, [](std::u16string_view) { return INT64_MAX; }), FitResult::Shortened);
    EXPECT_EQ(p, u"C:\\...\\d.txt");
}

}  // namespace
