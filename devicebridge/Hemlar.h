// The device bridge's exported functions: plain cdecl functions with
// undecorated names, loaded by name with GetProcAddress by the programs.
#pragma once

#ifdef HEMLAR_BUILDING
#define HEMLAR_EXPORT extern "C" __declspec(dllexport)
#else
#define HEMLAR_EXPORT extern "C" __declspec(dllimport)
#endif
#define HEMLAR_CALL __cdecl

// Digest of a narrow text; out receives 32 lower-case hex digits and a NUL
// (at least 33 bytes). Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL GetStringMD5(const char* text, char* out);

// Digest of a file named by a narrow path; out receives the 32 digits, or an
// empty text when the file is missing, empty or unreadable. Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL GetFileMD5(const char* path, char* out);

// Whether the ROM zip at romPath fits phones of the web service's type id:
// 1 it fits, -1 it does not, 0 cannot tell (the caller asks the user).
HEMLAR_EXPORT int HEMLAR_CALL IsRomMatchPhone(int phoneTypeId, const wchar_t* romPath);
