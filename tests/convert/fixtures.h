// Fixtures of the conversion tests: a started library against a temporary
// installation in a chosen language, and a short version record at the end of
// readable memory.
#pragma once
#include <gtest/gtest.h>

#include "include/elkBase.h"
#include "support/install_tree.h"

namespace converttest {

class Started : public ::testing::Test {
protected:
    // `from` is the build's module for the language (below bin).
    void start(unsigned language, const wchar_t* from) {
        tree.addLanguage(language, from);
        tree.setIni(L"Languages", L"Engine", std::to_wstring(language).c_str());
        tree.point();
        ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES), 0u);
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

// A short record placed right before an inaccessible page: reading one byte
// of the long form's fields would fault.
class GuardedShortRecord {
public:
    GuardedShortRecord() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
        record_ = reinterpret_cast<OSVERSIONINFOW*>(base_ + page_ - sizeof(OSVERSIONINFOW));
        *record_ = {};
        record_->dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    }
    ~GuardedShortRecord() { VirtualFree(base_, 0, MEM_RELEASE); }
    OSVERSIONINFOW* get() { return record_; }

private:
    DWORD page_;
    BYTE* base_;
    OSVERSIONINFOW* record_;
};

}  // namespace converttest
