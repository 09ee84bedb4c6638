// CStdStringPtrMap: a hash map from texts to untyped pointers. Each bucket is a
// doubly linked list, newest first; lookups may move a hit to the front so the
// names used most often are found first. The map owns its keys, not the values.
#pragma once
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"

namespace UiLib {

class UILIB_API CStdStringPtrMap {
public:
    explicit CStdStringPtrMap(int size = 83);
    CStdStringPtrMap(const CStdStringPtrMap&) = delete;
    CStdStringPtrMap& operator=(const CStdStringPtrMap&) = delete;
    ~CStdStringPtrMap();

    static unsigned int HashKey(const wchar_t* key);

    void Resize(int size = 83);
    void* Find(const wchar_t* key, bool optimize = true) const;
    bool Insert(const wchar_t* key, void* data);
    void* Set(const wchar_t* key, void* data);
    bool Remove(const wchar_t* key);
    void RemoveAll() { FreeAll(); }
    int GetSize() const { return m_nCount; }
    const wchar_t* GetAt(int index) const;
    const wchar_t* operator[](int index) const { return GetAt(index); }

private:
    struct TITEM {
        CUiString Key;
        void* Data;
        TITEM* pPrev;
        TITEM* pNext;
    };

    TITEM** BucketOf(const wchar_t* key) const;
    TITEM* Lookup(const wchar_t* key, bool optimize) const;
    void FreeAll();

    TITEM** m_aT = nullptr;
    int m_nBuckets = 0;
    int m_nCount = 0;
};

}  // namespace UiLib
