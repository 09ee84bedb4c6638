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
