// The bridge's failure policy at its C boundary. Callers bind the exports by
// name and may be built by another compiler: no C++ exception may reach them.
// Every export runs its body through the guard, which turns any exception
// into that export's documented "no" value.
#pragma once

#include <utility>

template <typename Result, typename Body>
Result GuardExport(Result no, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return no;
    }
}
