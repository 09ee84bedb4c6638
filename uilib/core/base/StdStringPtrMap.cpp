#include "core/base/StdStringPtrMap.h"

#include <cstdlib>
#include <cwchar>

namespace UiLib {

namespace {
const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }
}  // namespace

CStdStringPtrMap::CStdStringPtrMap(int size) { Resize(size); }

CStdStringPtrMap::~CStdStringPtrMap() { FreeAll(); }

unsigned int CStdStringPtrMap::HashKey(const wchar_t* key) {
    key = OrEmpty(key);
    unsigned int hash = 0;
    for (size_t i = wcslen(key); i > 0; --i) hash = hash * 33u + static_cast<unsigned int>(key[i - 1]);
    return hash;
}

void CStdStringPtrMap::FreeAll() {
    if (!m_aT) return;
    for (int i = 0; i < m_nBuckets; ++i) {
        TITEM* item = m_aT[i];
        while (item) {
            TITEM* next = item->pNext;
            delete item;
            item = next;
        }
    }
    free(m_aT);
    m_aT = nullptr;
    m_nCount = 0;
}

// The buckets are made by the first insertion: every control carries a map
// that most never fill, and thousands of list rows would each pay for an
// empty table when made and again when destroyed.
void CStdStringPtrMap::Resize(int size) {
    FreeAll();
    m_nBuckets = size > 0 ? size : 0;
}

CStdStringPtrMap::TITEM** CStdStringPtrMap::BucketOf(const wchar_t* key) const {
    return &m_aT[HashKey(key) % static_cast<unsigned int>(m_nBuckets)];
}

CStdStringPtrMap::TITEM* CStdStringPtrMap::Lookup(const wchar_t* key, bool optimize) const {
    if (m_nBuckets == 0 || m_nCount == 0) return nullptr;
    key = OrEmpty(key);
    TITEM** bucket = BucketOf(key);
    for (TITEM* item = *bucket; item; item = item->pNext) {
        if (item->Key != key) continue;
        if (optimize && item != *bucket) {
            // Unlink and make it the head of its bucket.
            item->pPrev->pNext = item->pNext;
            if (item->pNext) item->pNext->pPrev = item->pPrev;
            item->pPrev = nullptr;
            item->pNext = *bucket;
            (*bucket)->pPrev = item;
            *bucket = item;
        }
        return item;
    }
    return nullptr;
}

void* CStdStringPtrMap::Find(const wchar_t* key, bool optimize) const {
    TITEM* item = Lookup(key, optimize);
    return item ? item->Data : nullptr;
}

bool CStdStringPtrMap::Insert(const wchar_t* key, void* data) {
    if (m_nBuckets == 0 || Lookup(key, true)) return false;
    if (!m_aT) {
        m_aT = static_cast<TITEM**>(calloc(static_cast<size_t>(m_nBuckets), sizeof(TITEM*)));
        if (!m_aT) return false;
    }
    key = OrEmpty(key);
    TITEM** bucket = BucketOf(key);
    TITEM* item = new TITEM{CUiString(key), data, nullptr, *bucket};
    if (*bucket) (*bucket)->pPrev = item;
    *bucket = item;
    ++m_nCount;
    return true;
}

void* CStdStringPtrMap::Set(const wchar_t* key, void* data) {
    if (TITEM* item = Lookup(key, true)) {
        void* old = item->Data;
        item->Data = data;
        return old;
    }
    Insert(key, data);
    return nullptr;
}

bool CStdStringPtrMap::Remove(const wchar_t* key) {
    TITEM* item = Lookup(key, false);
    if (!item) return false;
    TITEM** bucket = BucketOf(item->Key);
    if (item->pPrev) item->pPrev->pNext = item->pNext;
    else *bucket = item->pNext;
    if (item->pNext) item->pNext->pPrev = item->pPrev;
    delete item;
    --m_nCount;
    return true;
}

const wchar_t* CStdStringPtrMap::GetAt(int index) const {
    if (index < 0 || !m_aT) return nullptr;
    for (int b = m_nBuckets - 1; b >= 0; --b)
        for (TITEM* item = m_aT[b]; item; item = item->pNext)
            if (index-- == 0) return item->Key;
    return nullptr;
}

}  // namespace UiLib
