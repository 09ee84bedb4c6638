#include "core/base/StdArrays.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace UiLib {

namespace {
// The capacity after growth: doubled, 11 for an empty array; 0 on overflow.
int NextCapacity(int capacity, int elementSize) {
    if (capacity == 0) return 11;
    if (capacity > INT_MAX / 2 || static_cast<size_t>(capacity) * 2 > SIZE_MAX / static_cast<size_t>(elementSize)) return 0;
    return capacity * 2;
}

// Makes room for the count that was just raised; restores it on failure.
template <typename T>
bool GrowFor(T*& block, int& count, int& allocated, size_t elementSize) {
    if (count < allocated) return true;
    int capacity = NextCapacity(allocated, static_cast<int>(elementSize));
    T* grown = capacity ? static_cast<T*>(realloc(block, static_cast<size_t>(capacity) * elementSize)) : nullptr;
    if (!grown) {
        --count;
        return false;
    }
    block = grown;
    allocated = capacity;
    return true;
}
}  // namespace

CStdPtrArray::CStdPtrArray(int preallocSize) {
    if (preallocSize > 0) {
        m_ppVoid = static_cast<void**>(malloc(static_cast<size_t>(preallocSize) * sizeof(void*)));
        if (m_ppVoid) m_nAllocated = preallocSize;
    }
}

CStdPtrArray::CStdPtrArray(const CStdPtrArray& other) {
    for (int i = 0; i < other.m_nCount; ++i) Add(other.m_ppVoid[i]);
}

CStdPtrArray& CStdPtrArray::operator=(const CStdPtrArray& other) {
    if (this != &other) {
        Empty();
        for (int i = 0; i < other.m_nCount; ++i) Add(other.m_ppVoid[i]);
    }
    return *this;
}

CStdPtrArray::~CStdPtrArray() { free(m_ppVoid); }

void CStdPtrArray::Empty() {
    free(m_ppVoid);
    m_ppVoid = nullptr;
    m_nCount = m_nAllocated = 0;
}

void CStdPtrArray::Resize(int size) {
    Empty();
    if (size <= 0) return;
    m_ppVoid = static_cast<void**>(calloc(static_cast<size_t>(size), sizeof(void*)));
    if (m_ppVoid) m_nCount = m_nAllocated = size;
}

int CStdPtrArray::Find(void* item) const {
    for (int i = 0; i < m_nCount; ++i)
        if (m_ppVoid[i] == item) return i;
    return -1;
}

bool CStdPtrArray::Grow() {
    ++m_nCount;
    return GrowFor(m_ppVoid, m_nCount, m_nAllocated, sizeof(void*));
}

bool CStdPtrArray::Add(void* item) {
    if (!Grow()) return false;
    m_ppVoid[m_nCount - 1] = item;
    return true;
}

bool CStdPtrArray::SetAt(int index, void* item) {
    if (index < 0 || index >= m_nCount) return false;
    m_ppVoid[index] = item;
    return true;
}

bool CStdPtrArray::InsertAt(int index, void* item) {
    if (index == m_nCount) return Add(item);
    if (index < 0 || index > m_nCount) return false;
    if (!Grow()) return false;
    memmove(&m_ppVoid[index + 1], &m_ppVoid[index], static_cast<size_t>(m_nCount - index - 1) * sizeof(void*));
    m_ppVoid[index] = item;
    return true;
}

bool CStdPtrArray::Remove(int index) {
    if (index < 0 || index >= m_nCount) return false;
    if (index < --m_nCount)
        memmove(&m_ppVoid[index], &m_ppVoid[index + 1], static_cast<size_t>(m_nCount - index) * sizeof(void*));
    return true;
}

void* CStdPtrArray::GetAt(int index) const {
    if (index < 0 || index >= m_nCount) return nullptr;
    return m_ppVoid[index];
}

CStdValArray::CStdValArray(int elementSize, int preallocSize) : m_iElementSize(elementSize > 0 ? elementSize : 1) {
    if (preallocSize > 0 && static_cast<size_t>(preallocSize) <= SIZE_MAX / static_cast<size_t>(m_iElementSize)) {
        m_pVoid = static_cast<unsigned char*>(malloc(static_cast<size_t>(preallocSize) * m_iElementSize));
        if (m_pVoid) m_nAllocated = preallocSize;
    }
}

CStdValArray::~CStdValArray() { free(m_pVoid); }

bool CStdValArray::Add(const void* element) {
    ++m_nCount;
    if (!GrowFor(m_pVoid, m_nCount, m_nAllocated, static_cast<size_t>(m_iElementSize))) return false;
    memcpy(m_pVoid + static_cast<size_t>(m_nCount - 1) * m_iElementSize, element, static_cast<size_t>(m_iElementSize));
    return true;
}

bool CStdValArray::Remove(int index) {
    if (index < 0 || index >= m_nCount) return false;
    if (index < --m_nCount) {
        size_t size = static_cast<size_t>(m_iElementSize);
        memmove(m_pVoid + index * size, m_pVoid + (index + 1) * size, static_cast<size_t>(m_nCount - index) * size);
    }
    return true;
}

void* CStdValArray::GetAt(int index) const {
    if (index < 0 || index >= m_nCount) return nullptr;
    return m_pVoid + static_cast<size_t>(index) * m_iElementSize;
}

}  // namespace UiLib
