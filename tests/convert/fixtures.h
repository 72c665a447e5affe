// Shared by the conversion tests: how they start the library, and a short
// version record at the end of readable memory.
#pragma once
#include <gtest/gtest.h>

#include "include/elkBase.h"
#include "support/guarded.h"
#include "support/library.h"

namespace converttest {

// The conversions only read texts: the thread's and the runtime's locales
// stay as they are.
inline constexpr DWORD kTextsOnly = ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES;

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
