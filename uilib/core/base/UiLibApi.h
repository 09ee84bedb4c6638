// Export macro of the UI library: the same sources build UiLib_u.dll
// (UILIB_EXPORTS) and the static library linked into the main program
// (UILIB_STATIC); everyone else imports from the DLL.
#pragma once

#if defined(UILIB_STATIC)
#define UILIB_API
#elif defined(UILIB_EXPORTS)
#define UILIB_API __declspec(dllexport)
#else
#define UILIB_API __declspec(dllimport)
#endif
