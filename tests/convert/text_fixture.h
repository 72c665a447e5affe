// Fixture of the text tests: the library started against a temporary
// installation in one language, with its thread and runtime locales, as the
// suite's programs start it.
#pragma once
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "include/elkBase.h"
#include "support/install_tree.h"

namespace texttest {

class Library : public ::testing::Test {
protected:
    // `from` is the build's module for the language (below bin).
    void start(unsigned language, const wchar_t* from = L"lang\\1033") {
        tree.addLanguage(language, from);
        tree.setIni(L"Languages", L"Engine", std::to_wstring(language).c_str());
        tree.point();
        ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
        started = true;
    }
    void stop() {
        if (started) basFreeLibraryExt(ELK_INIT_LIGHT);
        started = false;
    }
    void TearDown() override { stop(); }

    elktest::InstallTree tree;
    bool started = false;
};

// A local time as the runtime converts it.
inline __time64_t localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return _mktime64(&t);
}

// A buffer of `size` characters followed by canaries that must survive.
class Guarded {
public:
    explicit Guarded(size_t size, wchar_t fill = L'#') : size_(size), buffer_(size + 4, fill) {}
    wchar_t* data() { return buffer_.data(); }
    DWORD size() const { return static_cast<DWORD>(size_); }
    bool intact() const { return buffer_.compare(size_, 4, L"####") == 0; }
    // The text written; empty for a zero size.
    std::wstring text() const { return size_ ? std::wstring(buffer_.c_str()) : std::wstring(); }
    bool untouched() const { return buffer_.find_first_not_of(L'#') == std::wstring::npos; }

private:
    size_t size_;
    std::wstring buffer_;
};

}  // namespace texttest
