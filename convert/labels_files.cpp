// Names of scanned objects and files for display: objects that are not
// files, paths squeezed into a width, descriptions of file types.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "convert/core/labels.h"
#include "convert/core/pathfit.h"
#include "include/elkBase.h"
#include "lang/texts.h"

namespace {

constexpr DWORD kClassNameMax = 260;
constexpr size_t kExtensionKeyMax = 29;

// Formats a non-file object with the language module's text; false when the
// module has no text for it (the name is then shown as a path).
bool objectText(const elk::ObjectName& object, wchar_t* out, DWORD size) {
    elk::TextFrom from = elk::TextFrom::Missing;
    switch (object.kind) {
    case elk::ObjectKind::BootRecord:
        from = elk::formatText(nullptr, ELK_TEXT_BOOT_RECORD, out, size, static_cast<int>(object.disk));
        break;
    case elk::ObjectKind::BootSector: {
        const std::u16string rest(object.rest);
        from = elk::formatText(nullptr, ELK_TEXT_BOOT_SECTOR, out, size, elk::wide(rest.c_str()));
        break;
    }
    case elk::ObjectKind::Process: {
        const std::u16string name = object.processName.empty() ? u"?" : std::u16string(object.processName);
        from = elk::formatText(nullptr, ELK_TEXT_PROCESS_MEMORY, out, size, static_cast<unsigned>(object.processId),
                               elk::wide(name.c_str()), static_cast<unsigned long long>(object.first),
                               static_cast<unsigned long long>(object.second));
        break;
    }
    case elk::ObjectKind::Path:
        break;
    }
    return from != elk::TextFrom::Missing;
}

// The default value of `key` as text into out (chars characters, always
// terminated when chars > 0). A value that is no text, or one that fills the
// buffer without its terminator, is an error rather than an unended text.
LSTATUS readDefaultText(HKEY key, wchar_t* out, DWORD chars) {
    DWORD type = 0;
    DWORD bytes = chars > MAXDWORD / sizeof(wchar_t) ? MAXDWORD - 1 : chars * sizeof(wchar_t);
    LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(out), &bytes);
    // A value too long for the room (234) may leave the room as it was, or
    // half written: either way no text.
    if (status != ERROR_SUCCESS) {
        if (chars) out[0] = L'\0';
        return status;
    }
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
    // Data that fill the room without their terminator do not fit: no text
    // rather than a cut one, as when the registry says so itself.
    out[0] = L'\0';
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
    // Whatever fails below, the caller gets a terminated text.
    if (size) out[0] = L'\0';
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
