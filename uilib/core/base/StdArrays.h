// Growable arrays of the UI library: CStdPtrArray holds untyped pointers (not
// their pointees), CStdValArray holds copies of fixed-size values. Both double
// their capacity when the count reaches it, starting at 11.
#pragma once
#include "core/base/UiLibApi.h"

namespace UiLib {

class UILIB_API CStdPtrArray {
public:
    explicit CStdPtrArray(int preallocSize = 0);
    CStdPtrArray(const CStdPtrArray& other);
    CStdPtrArray& operator=(const CStdPtrArray& other);
    ~CStdPtrArray();

    void Empty();
    void Resize(int size);
    bool IsEmpty() const { return m_nCount == 0; }
    int GetSize() const { return m_nCount; }
    int GetCapacity() const { return m_nAllocated; }
    void** GetData() { return m_ppVoid; }

    int Find(void* item) const;
    bool Add(void* item);
    bool SetAt(int index, void* item);
    bool InsertAt(int index, void* item);
    bool Remove(int index);
    void* GetAt(int index) const;
    void* operator[](int index) const { return GetAt(index); }

private:
    bool Grow();

    void** m_ppVoid = nullptr;
    int m_nCount = 0;
    int m_nAllocated = 0;
};

class UILIB_API CStdValArray {
public:
    explicit CStdValArray(int elementSize, int preallocSize = 0);
    CStdValArray(const CStdValArray&) = delete;
    CStdValArray& operator=(const CStdValArray&) = delete;
    ~CStdValArray();

    void Empty() { m_nCount = 0; }
    bool IsEmpty() const { return m_nCount == 0; }
    int GetSize() const { return m_nCount; }
    int GetCapacity() const { return m_nAllocated; }
    void* GetData() { return m_pVoid; }

    bool Add(const void* element);
    bool Remove(int index);
    void* GetAt(int index) const;
    void* operator[](int index) const { return GetAt(index); }

private:
    unsigned char* m_pVoid = nullptr;
    int m_iElementSize;
    int m_nCount = 0;
    int m_nAllocated = 0;
};

}  // namespace UiLib
