// The readable name of a Windows release, from a freshly loaded copy of the
// language module.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "base/handles.h"
#include "base/wide.h"
#include "convert/core/osversion.h"
#include "convert/core/version.h"
#include "convert/ostexts.h"
#include "include/elkBase.h"
#include "lang/texts.h"

namespace elk {

namespace {

class ModuleTexts final : public OsNameTexts {
public:
    explicit ModuleTexts(HMODULE module) : module_(module) {}

    void copy(uint32_t id, bool ownModule, char16_t* out, size_t n) override {
        if (loadText(ownModule ? nullptr : module_, id, wide(out), n) == 0) copyText(out, n, builtinOsText(id));
    }
    void formatNumbers(uint32_t id, char16_t* out, size_t n, int32_t major, int32_t minor,
                       const char16_t* servicePack) override {
        formatText(module_, id, wide(out), n, major, minor, wide(servicePack));
    }
    void formatEdition(uint32_t id, char16_t* out, size_t n, const char16_t* edition,
                       const char16_t* servicePack) override {
        formatText(module_, id, wide(out), n, wide(edition), wide(servicePack));
    }

private:
    HMODULE module_;
};

}  // namespace

void unknownVersionText(wchar_t* out, size_t size) {
    if (!out || size == 0) return;
    ModuleTexts(nullptr).copy(kOsTextUnknown, true, u16(out), size);
}

}  // namespace elk

extern "C" DWORD WINAPI basCreateOSString(const OSVERSIONINFOW* record, wchar_t* out, DWORD size) {
    if (!out || size == 0) return ERROR_INVALID_PARAMETER;
    out[0] = L'\0';
    // Its own copy of the module, released with FreeLibrary alone: the
    // extension entry is the library's business, not this name's.
    elk::UniqueModule names(basLoadLanguage(L"Base.dll"));

    elk::OsVersionRecord r{};
    if (record) {
        std::memcpy(&r, record,
                    record->dwOSVersionInfoSize >= elk::kOsRecordLongSize ? elk::kOsRecordLongSize
                                                                          : elk::kOsRecordShortSize);
    } else {
        OSVERSIONINFOEXW system{};
        system.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&system))) {
            system.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
            if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&system))) {
                DWORD error = GetLastError();
                return error ? error : ERROR_GEN_FAILURE;
            }
        }
        std::memcpy(&r, &system, sizeof(r));
    }

    if (!names) {
        elk::ServicePackText servicePack;
        elk::servicePackText(r, servicePack);
        _snwprintf(out, size, elk::wide(elk::kOsNameFallbackFormat), static_cast<int>(r.major),
                   static_cast<int>(r.minor), elk::wide(servicePack));
        out[size - 1] = L'\0';
        return 0;
    }
    elk::ModuleTexts texts(names.get());
    elk::composeOsName(r, texts, elk::u16(out), size);
    return 0;
}
