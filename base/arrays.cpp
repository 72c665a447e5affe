// Growable arrays on the process heap.
#include <cstdint>
#include <cstring>

#include "include/elkBase.h"

namespace {

// Bytes for `count` elements, or false when that does not fit a size_t.
bool byteSize(UINT count, UINT elementSize, size_t& bytes) {
    unsigned long long total = static_cast<unsigned long long>(count) * elementSize;
    if (total > SIZE_MAX) return false;
    bytes = static_cast<size_t>(total);
    return true;
}

}  // namespace

CMyArray::CMyArray(UINT elementSize)
    : m_elementSize(elementSize), m_data(nullptr), m_grow(1), m_count(0), m_capacity(0) {}

// Copies own their elements: two arrays never share a block, so no sequence
// of calls can release one twice.
CMyArray::CMyArray(const CMyArray& other)
    : m_elementSize(other.m_elementSize), m_data(nullptr), m_grow(other.m_grow), m_count(0), m_capacity(0) {
    other.Copy(this);
}

CMyArray& CMyArray::operator=(const CMyArray& other) {
    if (this != &other) {
        RemoveAll();
        m_grow = other.m_grow;
        other.Copy(this);
    }
    return *this;
}

CMyArray::~CMyArray() { RemoveAll(); }

UINT CMyArray::GetGrow() const { return m_grow; }
void CMyArray::SetGrow(UINT grow) { m_grow = grow ? grow : 1; }
UINT CMyArray::GetSize() const { return m_count; }
BYTE* CMyArray::GetAt(UINT index) const { return m_data + static_cast<size_t>(index) * m_elementSize; }
void* CMyArray::GetArray() const { return m_data; }

UINT CMyArray::SetSize(UINT newCount) {
    if (newCount <= m_capacity) {
        m_count = newCount;
        return 0;
    }
    unsigned long long capacity = (static_cast<unsigned long long>(m_grow) + newCount - 1) / m_grow * m_grow;
    size_t bytes;
    if (capacity > MAXDWORD || !byteSize(static_cast<UINT>(capacity), m_elementSize, bytes))
        return ERROR_NOT_ENOUGH_MEMORY;
    BYTE* block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, bytes ? bytes : 1));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    if (m_data) {
        std::memcpy(block, m_data, static_cast<size_t>(m_count) * m_elementSize);
        HeapFree(GetProcessHeap(), 0, m_data);
    }
    m_data = block;
    m_capacity = static_cast<UINT>(capacity);
    m_count = newCount;
    return 0;
}

BYTE* CMyArray::AddReal(UINT* status) {
    UINT index = m_count;
    UINT rc = index == MAXDWORD ? ERROR_NOT_ENOUGH_MEMORY : SetSize(index + 1);
    if (status) *status = rc;
    return rc ? nullptr : GetAt(index);
}

BYTE* CMyArray::InsertAt(UINT index, UINT* status) {
    UINT old = m_count;
    UINT rc = index > old ? ERROR_INVALID_PARAMETER : old == MAXDWORD ? ERROR_NOT_ENOUGH_MEMORY : SetSize(old + 1);
    if (status) *status = rc;
    if (rc) return nullptr;
    std::memmove(GetAt(index + 1), GetAt(index), static_cast<size_t>(old - index) * m_elementSize);
    return GetAt(index);
}

void CMyArray::RemoveAt(UINT index) {
    if (index >= m_count) return;
    std::memmove(GetAt(index), GetAt(index + 1), static_cast<size_t>(m_count - index - 1) * m_elementSize);
    --m_count;
}

void CMyArray::RemoveAll() {
    if (m_data) HeapFree(GetProcessHeap(), 0, m_data);
    m_data = nullptr;
    m_count = m_capacity = 0;
}

UINT CMyArray::Copy(CMyArray* target) const {
    if (!target) return ERROR_INVALID_PARAMETER;
    if (target == this) return 0;
    // The target's capacity counts elements of its old size: drop the block
    // rather than reuse it for elements of another size.
    if (target->m_elementSize != m_elementSize) {
        target->RemoveAll();
        target->m_elementSize = m_elementSize;
    }
    if (UINT rc = target->SetSize(m_count)) return rc;
    if (m_data && target->m_data) std::memcpy(target->m_data, m_data, static_cast<size_t>(m_count) * m_elementSize);
    return 0;
}

namespace {

// The typed arrays share every body; only the value type differs.
template <typename T>
struct Typed {
    static T get(const CMyArray& a, UINT index) {
        T value;
        std::memcpy(&value, a.GetAt(index), sizeof(T));
        return value;
    }
    static void set(CMyArray& a, UINT index, T value) { std::memcpy(a.GetAt(index), &value, sizeof(T)); }
    static UINT setAtGrow(CMyArray& a, UINT index, T value) {
        if (index >= a.GetSize()) {
            if (index == MAXDWORD) return ERROR_NOT_ENOUGH_MEMORY;
            if (UINT rc = a.SetSize(index + 1)) return rc;
        }
        set(a, index, value);
        return 0;
    }
};

}  // namespace

CMyPtrArray::CMyPtrArray() : CMyArray(sizeof(void*)) {}
CMyPtrArray::CMyPtrArray(const CMyPtrArray& other) : CMyArray(other) {}
CMyPtrArray& CMyPtrArray::operator=(const CMyPtrArray& other) {
    CMyArray::operator=(other);
    return *this;
}
void* CMyPtrArray::GetAt(UINT index) const { return Typed<void*>::get(*this, index); }
void CMyPtrArray::SetAt(UINT index, void* value) { Typed<void*>::set(*this, index, value); }
UINT CMyPtrArray::Add(void* value) {
    UINT rc;
    if (BYTE* slot = AddReal(&rc)) std::memcpy(slot, &value, sizeof(value));
    return rc;
}
UINT CMyPtrArray::InsertAt(UINT index, void* value) {
    UINT rc;
    if (BYTE* slot = CMyArray::InsertAt(index, &rc)) std::memcpy(slot, &value, sizeof(value));
    return rc;
}
UINT CMyPtrArray::SetAtGrow(UINT index, void* value) { return Typed<void*>::setAtGrow(*this, index, value); }

CMyDWORDArray::CMyDWORDArray() : CMyArray(sizeof(DWORD)) {}
CMyDWORDArray::CMyDWORDArray(const CMyDWORDArray& other) : CMyArray(other) {}
CMyDWORDArray& CMyDWORDArray::operator=(const CMyDWORDArray& other) {
    CMyArray::operator=(other);
    return *this;
}
DWORD CMyDWORDArray::GetAt(UINT index) const { return Typed<DWORD>::get(*this, index); }
void CMyDWORDArray::SetAt(UINT index, DWORD value) { Typed<DWORD>::set(*this, index, value); }
UINT CMyDWORDArray::Add(DWORD value) {
    UINT rc;
    if (BYTE* slot = AddReal(&rc)) std::memcpy(slot, &value, sizeof(value));
    return rc;
}
UINT CMyDWORDArray::InsertAt(UINT index, DWORD value) {
    UINT rc;
    if (BYTE* slot = CMyArray::InsertAt(index, &rc)) std::memcpy(slot, &value, sizeof(value));
    return rc;
}
UINT CMyDWORDArray::SetAtGrow(UINT index, DWORD value) { return Typed<DWORD>::setAtGrow(*this, index, value); }
