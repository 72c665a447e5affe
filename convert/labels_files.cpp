// Names of scanned objects and files for display: objects that are not
// files, paths squeezed into a width, descriptions of file types.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/state.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "convert/core/labels.h"
#include "convert/core/pathfit.h"
#include "include/elkBase.h"
#include "lang/format.h"

using elk::g_state;
using elk::PrintfArg;

namespace {

constexpr UINT kTextBootRecord = 150;
constexpr UINT kTextBootSector = 151;
constexpr UINT kTextProcess = 153;
constexpr size_t kFormatMax = 260;
constexpr DWORD kClassNameMax = 260;
constexpr size_t kExtensionKeyMax = 29;

// Formats a non-file object with the language module's text; false when the
// module has no text for it (the name is then shown as a path).
bool objectText(const elk::ObjectName& object, wchar_t* out, DWORD size) {
    static constexpr UINT kIds[] = {0, kTextBootRecord, kTextBootSector, kTextProcess};
    const UINT id = kIds[static_cast<int>(object.kind)];
    wchar_t format[kFormatMax + 1];
    if (!g_state.baseLanguage || LoadStringW(g_state.baseLanguage, id, format, ARRAYSIZE(format)) <= 0) return false;
    switch (object.kind) {
    case elk::ObjectKind::BootRecord:
        elk::formatChecked(out, size, format, L"Master boot record of hard disk %d", {PrintfArg::Int},
                           static_cast<int>(object.disk));
        break;
    case elk::ObjectKind::BootSector: {
        const std::u16string rest(object.rest);
        elk::formatChecked(out, size, format, L"Boot sector of drive %s", {PrintfArg::WideStr},
                           elk::wide(rest.c_str()));
        break;
    }
    case elk::ObjectKind::Process: {
        const std::u16string name = object.processName.empty() ? u"?" : std::u16string(object.processName);
        elk::formatChecked(out, size, format, L"Memory of process %u (%s), address 0x%I64X, size 0x%I64X",
                           {PrintfArg::Int, PrintfArg::WideStr, PrintfArg::Int64, PrintfArg::Int64},
                           static_cast<unsigned>(object.processId), elk::wide(name.c_str()),
                           static_cast<unsigned long long>(object.first),
                           static_cast<unsigned long long>(object.second));
        break;
    }
    case elk::ObjectKind::Path:
        return false;
    }
    return true;
}

// The default value of `key` as text into out (chars characters, always
// terminated when chars > 0). A value that is no text, or one that fills the
// buffer without its terminator, is an error rather than an unended text.
LSTATUS readDefaultText(HKEY key, wchar_t* out, DWORD chars) {
    DWORD type = 0;
    DWORD bytes = chars > MAXDWORD / sizeof(wchar_t) ? MAXDWORD - 1 : chars * sizeof(wchar_t);
    LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(out), &bytes);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        if (chars) out[0] = L'\0';
        return ERROR_UNSUPPORTED_TYPE;
    }
    if (chars == 0) return bytes == 0 ? ERROR_SUCCESS : ERROR_MORE_DATA;
    const DWORD n = bytes / sizeof(wchar_t);
    if (n > 0 && out[n - 1] == L'\0') return ERROR_SUCCESS;
    if (n < chars) {
        out[n] = L'\0';
        return ERROR_SUCCESS;
    }
    out[chars - 1] = L'\0';
    return ERROR_MORE_DATA;
}

}  // namespace

extern "C" {

DWORD WINAPI basCreateFriendFileName(DWORD, const wchar_t* name, wchar_t* out, DWORD size) {
    if (!out || size == 0) return 0;
    out[0] = L'\0';
    if (!name || !*name) return 0;
    const elk::ObjectName object = elk::parseObjectName(elk::u16(name));
    if (object.kind != elk::ObjectKind::Path && objectText(object, out, size)) return static_cast<DWORD>(wcslen(out));

    elk::copyBounded(out, size, name);
    const wchar_t* shown = strGetDisplayFileName(out, out);
    if (shown && shown != out) {
        const std::wstring text(shown);
        elk::copyBounded(out, size, text.c_str());
    }
    return static_cast<DWORD>(wcslen(out));
}

BOOLEAN WINAPI basDoFitFileName(HDC dc, wchar_t* path, int maxWidth) {
    if (!path) return FALSE;
    auto width = [dc](std::u16string_view text) -> int64_t {
        SIZE extent{};
        if (text.size() > INT_MAX ||
            !GetTextExtentPoint32W(dc, elk::wide(text.data()), static_cast<int>(text.size()), &extent))
            return INT64_MAX;
        return extent.cx;
    };
    std::u16string fitted(elk::u16(path));
    // A path that cannot be measured (no usable device context) is left alone.
    if (width(fitted) == INT64_MAX) return FALSE;
    const elk::FitResult result = elk::fitPath(fitted, maxWidth, width);
    if (result == elk::FitResult::AlreadyFits) return FALSE;
    if (result == elk::FitResult::Shortened) std::memcpy(path, fitted.c_str(), (fitted.size() + 1) * sizeof(wchar_t));
    return TRUE;
}

DWORD WINAPI basGetTypeDescription(const wchar_t* extension, wchar_t* out, DWORD size) {
    if (!extension || !out) return ERROR_INVALID_PARAMETER;
    std::wstring keyName = extension[0] == L'.' ? extension : std::wstring(L".") + extension;
    keyName.resize(std::min(keyName.size(), kExtensionKeyMax));
    elk::UniqueKey extensionKey;
    LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, extensionKey.put());
    if (status != ERROR_SUCCESS) return status;
    wchar_t className[kClassNameMax + 1];
    status = readDefaultText(extensionKey.get(), className, ARRAYSIZE(className));
    if (status != ERROR_SUCCESS) return status;
    // An empty class name would open the root itself.
    if (!className[0]) return ERROR_FILE_NOT_FOUND;
    elk::UniqueKey classKey;
    status = RegOpenKeyExW(HKEY_CLASSES_ROOT, className, 0, KEY_READ, classKey.put());
    if (status != ERROR_SUCCESS) return status;
    return readDefaultText(classKey.get(), out, size);
}
}
