// Loads Hemlar.dll by name and binds exports the way the suite's programs do.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

class HemlarLibrary {
public:
    HemlarLibrary() : module_(LoadLibraryW(L"Hemlar.dll")) {}
    ~HemlarLibrary() {
        if (module_) FreeLibrary(module_);
    }
    HemlarLibrary(const HemlarLibrary&) = delete;
    HemlarLibrary& operator=(const HemlarLibrary&) = delete;

    bool Loaded() const { return module_ != nullptr; }

    // Returns the export as a function pointer of type Fn, or null.
    template <typename Fn>
    Fn Get(const char* name) const {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_;
};
