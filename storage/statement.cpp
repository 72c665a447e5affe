// Statements: lists of named property bindings that callers fill and the
// storage back-ends read.
#include <windows.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

#include "include/elkBase.h"

namespace {

// Each binding is one block of the runtime heap laid out as ELK_PROP_RECORD,
// with two spare bytes after the name's terminator.
constexpr size_t kSpareBytes = sizeof(wchar_t);

ELK_PROP_RECORD* recordAt(CMyPtrArray* statement, UINT index) {
    return static_cast<ELK_PROP_RECORD*>(statement->GetAt(index));
}

}  // namespace

extern "C" {

CMyPtrArray* WINAPI basCreateStatement(void) {
    auto* statement = new (std::nothrow) CMyPtrArray();
    if (!statement) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    statement->SetGrow(10);
    return statement;
}

DWORD WINAPI basBindProp(CMyPtrArray* statement, const wchar_t* name, DWORD first, DWORD_PTR second) {
    if (!statement || !name || !*name || first == 0 || second == 0) return ERROR_INVALID_PARAMETER;
    const size_t length = wcslen(name);
    const size_t header = offsetof(ELK_PROP_RECORD, name);
    if (length > (MAXDWORD - header - kSpareBytes) / sizeof(wchar_t) - 1) return ERROR_NOT_ENOUGH_MEMORY;
    const size_t bytes = header + (length + 1) * sizeof(wchar_t) + kSpareBytes;
    auto* record = static_cast<ELK_PROP_RECORD*>(std::malloc(bytes));
    if (!record) return ERROR_NOT_ENOUGH_MEMORY;
    std::memset(record, 0, bytes);
    record->first = first;
    record->second = second;
    std::memcpy(reinterpret_cast<BYTE*>(record) + header, name, (length + 1) * sizeof(wchar_t));
    if (UINT rc = statement->Add(record)) {
        std::free(record);
        return rc;
    }
    return 0;
}

DWORD WINAPI basGetPropCount(CMyPtrArray* statement) { return statement ? statement->GetSize() : 0; }

const wchar_t* WINAPI basGetProp(CMyPtrArray* statement, DWORD index, DWORD* first, DWORD_PTR* second) {
    // A bad index would read past the element block.
    if (!statement || index >= statement->GetSize()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const ELK_PROP_RECORD* record = recordAt(statement, index);
    if (first) *first = record->first;
    if (second) *second = record->second;
    return record->name;
}

DWORD WINAPI basFreeStatement(CMyPtrArray* statement) {
    if (!statement) return ERROR_INVALID_PARAMETER;
    for (UINT i = 0; i < statement->GetSize(); ++i) std::free(recordAt(statement, i));
    // Emptied, not left holding freed records: a second free or a later use
    // must not touch them again.
    statement->RemoveAll();
    return 0;
}

}
