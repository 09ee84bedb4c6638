// A small DLL whose exports follow, or break on purpose, the conventions the
// deliverables check looks for; built once per variant by check-test.sh.
#include <windows.h>

struct Record {
    char text[1560];
};

#if defined(POP_HIDDEN_POINTER)
#define RECORD_RETURN __attribute__((callee_pop_aggregate_return(1)))
#else
#define RECORD_RETURN __attribute__((callee_pop_aggregate_return(0)))
#endif

extern "C" __declspec(dllexport) Record __cdecl RECORD_RETURN GetRecord(const char* text) {
    Record r{};
    lstrcpynA(r.text, text, sizeof r.text);
    return r;
}

#if defined(LOSE_HIDDEN_POINTER)
// Fills the caller's record but hands back a null pointer.
extern "C" __declspec(dllexport) __attribute__((naked)) void __cdecl GetRecordLost() {
    __asm__("mov 4(%esp), %eax\n\tmovb $0, (%eax)\n\txor %eax, %eax\n\tret");
}
#endif

extern "C" __declspec(dllexport) void* __stdcall Factory(const char* name) {
    return const_cast<char*>(name);
}

#if defined(RAISES)
#include <stdexcept>

// Lets an exception out to its caller, as the SQLite library does.
extern "C" __declspec(dllexport) void __cdecl Raise(const char* text) { throw std::runtime_error(text); }
#endif
