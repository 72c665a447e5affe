// CStr: all storage lives in this module (see the class comment).
#include "base/suite/ozrCmnBS.h"
#include "base/handles.h"

#include <cwchar>
#include <new>
#include <utility>

namespace {

// Longest text a path may have on the system.
constexpr DWORD kMaxText = 32767;

DWORD lengthOf(const wchar_t* text) { return text ? static_cast<DWORD>(wcsnlen(text, kMaxText + 1)) : 0; }

}  // namespace

CStr::CStr() : text_(nullptr), length_(0), ansi_(nullptr) {}

CStr::CStr(const wchar_t* text) : CStr() { assign(text, lengthOf(text), nullptr, 0); }

CStr::CStr(const CStr& other) : CStr() { assign(other.text_, other.length_, nullptr, 0); }

CStr::~CStr() {
    delete[] text_;
    delete[] ansi_;
}

bool CStr::assign(const wchar_t* a, DWORD na, const wchar_t* b, DWORD nb) {
    if (na > kMaxText || nb > kMaxText - na) return false;
    auto* p = new (std::nothrow) wchar_t[na + nb + 1];
    if (!p) return false;
    if (na) wmemcpy(p, a, na);
    if (nb) wmemcpy(p + na, b, nb);
    p[na + nb] = L'\0';
    delete[] text_;
    delete[] ansi_;
    text_ = p;
    ansi_ = nullptr;
    length_ = na + nb;
    return true;
}

// The operators cannot report failure; out of memory keeps the old text.
CStr& CStr::operator=(const CStr& other) {
    if (this != &other) assign(other.text_, other.length_, nullptr, 0);
    return *this;
}

CStr& CStr::operator=(const wchar_t* text) {
    assign(text, lengthOf(text), nullptr, 0);
    return *this;
}

CStr& CStr::operator+=(const wchar_t* text) {
    assign(text_, length_, text, lengthOf(text));
    return *this;
}

const wchar_t* CStr::GetString() const { return text_ ? text_ : L""; }

DWORD CStr::GetLength() const { return length_; }

// The suite's 8-bit rule: characters that the ANSI code page lacks become '?'
// rather than a look-alike.
CStr::operator const char*() const {
    if (ansi_) return ansi_;
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, GetString(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return "";
    auto* p = new (std::nothrow) char[bytes];
    if (!p) return "";
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, GetString(), -1, p, bytes, nullptr, nullptr) != bytes) {
        delete[] p;
        return "";
    }
    ansi_ = p;
    return ansi_;
}

DWORD CStr::AddFilePart(const wchar_t* part, const wchar_t* second) {
    if (!part) return ERROR_INVALID_PARAMETER;
    CStr result(*this);
    if (result.length_ != length_) return ERROR_NOT_ENOUGH_MEMORY;
    for (const wchar_t* p : {part, second}) {
        if (!p) continue;
        const wchar_t* separator = L"";
        if (result.length_ > 0) {
            while (*p == L'\\') ++p;
            if (result.text_[result.length_ - 1] != L'\\') separator = L"\\";
        }
        DWORD add = lengthOf(p);
        if (result.length_ + lengthOf(separator) + add > kMaxText) return ERROR_FILENAME_EXCED_RANGE;
        if (!result.assign(result.text_, result.length_, separator, lengthOf(separator)) ||
            !result.assign(result.text_, result.length_, p, add))
            return ERROR_NOT_ENOUGH_MEMORY;
    }
    // Hand the finished text over without another copy.
    std::swap(text_, result.text_);
    std::swap(ansi_, result.ansi_);
    std::swap(length_, result.length_);
    return ERROR_SUCCESS;
}

DWORD CStr::GetTempPathW(const wchar_t*) {
    wchar_t folder[MAX_PATH + 1];
    DWORD n = ::GetTempPathW(ARRAYSIZE(folder), folder);
    if (n == 0) return GetLastError();
    if (n >= ARRAYSIZE(folder)) return ERROR_FILENAME_EXCED_RANGE;
    return assign(folder, n, nullptr, 0) ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}

DWORD CStr::GetTempFile(HANDLE* handle) {
    if (handle) *handle = INVALID_HANDLE_VALUE;
    wchar_t folder[MAX_PATH + 1];
    if (length_ == 0) {
        DWORD n = ::GetTempPathW(ARRAYSIZE(folder), folder);
        if (n == 0) return GetLastError();
        if (n >= ARRAYSIZE(folder)) return ERROR_FILENAME_EXCED_RANGE;
    } else {
        // GetTempFileNameW takes no longer folder: it adds a name of 13 characters.
        if (length_ > MAX_PATH - 14) return ERROR_FILENAME_EXCED_RANGE;
        wmemcpy(folder, text_, length_ + 1);
    }
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(folder, L"ozr", 0, name) == 0) return GetLastError();
    wchar_t full[MAX_PATH];
    DWORD n = GetFullPathNameW(name, ARRAYSIZE(full), full, nullptr);
    DWORD error = n == 0 ? GetLastError() : n >= ARRAYSIZE(full) ? ERROR_FILENAME_EXCED_RANGE : ERROR_SUCCESS;
    elk::UniqueFile file;
    if (error == ERROR_SUCCESS && handle) {
        file.reset(CreateFileW(full, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) error = GetLastError();
    }
    if (error == ERROR_SUCCESS && !assign(full, n, nullptr, 0)) error = ERROR_NOT_ENOUGH_MEMORY;
    if (error != ERROR_SUCCESS) {
        file.reset();
        ::DeleteFileW(name);
        return error;
    }
    if (handle) *handle = file.release();
    return ERROR_SUCCESS;
}
