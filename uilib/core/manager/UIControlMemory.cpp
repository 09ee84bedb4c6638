// Memory of controls: per-size free lists filled from large chunks.
//
// Every control is allocated through CControlUI's own operator new, in this
// library whichever module creates it, and freed through its sized operator
// delete (the virtual destructor passes the most derived type's size). A
// freed block goes onto the free list of its size class and serves the next
// control of that class; chunks stay for the life of the process, so memory
// in use never exceeds the largest number of controls alive at once.
#include "core/manager/UIControl.h"

#include <cstdlib>
#include <new>

namespace UiLib {

namespace {

constexpr size_t kGranule = 64;              // size classes step by a cache line
constexpr size_t kLargestPooled = 8192;      // larger controls use the heap directly
constexpr size_t kClasses = kLargestPooled / kGranule;
constexpr size_t kChunkBytes = 256 * 1024;   // carved into blocks of one class

struct FreeBlock {
    FreeBlock* next;
};

struct SizeClass {
    FreeBlock* freeList = nullptr;
    char* carve = nullptr;     // the next never-used block of the current chunk
    char* carveEnd = nullptr;
};

class ControlMemory {
public:
    constexpr ControlMemory() = default;

    void* Allocate(size_t size) {
        const size_t index = ClassOf(size);
        const size_t blockBytes = (index + 1) * kGranule;
        ::AcquireSRWLockExclusive(&m_lock);
        SizeClass& sizeClass = m_classes[index];
        void* block = sizeClass.freeList;
        if (block) {
            sizeClass.freeList = sizeClass.freeList->next;
        } else {
            if (sizeClass.carve == sizeClass.carveEnd) {
                // Blocks are handed out one by one, so a chunk's pages are
                // only touched by the controls that use them.
                char* chunk = static_cast<char*>(std::malloc(kChunkBytes));
                if (!chunk) {
                    ::ReleaseSRWLockExclusive(&m_lock);
                    throw std::bad_alloc();
                }
                sizeClass.carve = chunk;
                sizeClass.carveEnd = chunk + kChunkBytes / blockBytes * blockBytes;
            }
            block = sizeClass.carve;
            sizeClass.carve += blockBytes;
        }
        ::ReleaseSRWLockExclusive(&m_lock);
        return block;
    }

    void Free(void* block, size_t size) {
        FreeBlock* freed = static_cast<FreeBlock*>(block);
        ::AcquireSRWLockExclusive(&m_lock);
        SizeClass& sizeClass = m_classes[ClassOf(size)];
        freed->next = sizeClass.freeList;
        sizeClass.freeList = freed;
        ::ReleaseSRWLockExclusive(&m_lock);
    }

private:
    static size_t ClassOf(size_t size) { return size ? (size - 1) / kGranule : 0; }

    SRWLOCK m_lock = SRWLOCK_INIT;
    SizeClass m_classes[kClasses];
};

// Initialised at load time, before any module's constructors run, and never
// destroyed: controls may still be freed while the process ends.
ControlMemory g_memory;

}  // namespace

void* CControlUI::operator new(size_t size) {
    if (size > kLargestPooled) return ::operator new(size);
    return g_memory.Allocate(size);
}

void CControlUI::operator delete(void* block, size_t size) noexcept {
    if (!block) return;
    if (size > kLargestPooled) {
        ::operator delete(block);
        return;
    }
    g_memory.Free(block, size);
}

}  // namespace UiLib
