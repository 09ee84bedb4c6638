// Where skin files come from, for the whole process: the resource folder and
// the skin archive (a zip file in that folder, or a zip in memory). The paint
// manager takes this state over as its own; the markup reader and the image
// loader read it.
#pragma once
#include "core/markup/SkinZip.h"
#include "core/base/UiLibApi.h"

namespace UiLib {

class UILIB_API UiResources {
public:
    static const wchar_t* ResourcePath();
    // Null empties the path; a path that does not end in "\" or "/" gets "\".
    static void SetResourcePath(const wchar_t* path);

    static const wchar_t* ResourceZipName();
    static bool IsZipKeptOpen();
    static HZIP KeptZip();
    // Uses the zip file `name` in the resource folder; with keepOpen the
    // archive is opened now and kept.
    static void SetResourceZip(const wchar_t* name, bool keepOpen);
    // Uses a zip held in memory (named "membuffer"); the caller keeps the bytes alive.
    static void SetResourceZipBuffer(const void* bytes, DWORD length);

    // Finds, loads and locks a resource of a module (the process's module for
    // null); false when it is missing, unloadable or empty. The bytes live as
    // long as the module.
    static bool LoadModuleResource(HINSTANCE instance, const wchar_t* id, const wchar_t* type, const BYTE*& bytes,
                                   DWORD& size);
};

}  // namespace UiLib
