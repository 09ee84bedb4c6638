// The program's folder, code-page conversions with owned results, form
// encoding of request values, starting a child program and ending the phone
// service process.
#pragma once

#include <string>

#include "win32/TextConvert.h"

// The folder of the process's executable, without a trailing backslash.
std::string GetModuleFolderA();
std::wstring GetModuleFolderW();

// Narrow texts here are in the system's ANSI code page.
inline std::string WideToNarrow(const std::wstring& text) { return WideToAnsi(text); }
inline std::wstring NarrowToWide(const std::string& text) { return AnsiToWide(text); }

// Converts and keeps the result: the returned pointer stays valid until the
// next conversion on the same object or its destruction.
class CTCharTranslate {
public:
    CTCharTranslate() = default;
    virtual ~CTCharTranslate() = default;
    CTCharTranslate(const CTCharTranslate&) = delete;
    CTCharTranslate& operator=(const CTCharTranslate&) = delete;

    const char* ToNarrow(const wchar_t* text);
    const wchar_t* ToWide(const char* text);

private:
    std::string narrow_;
    std::wstring wide_;
};

std::string WideToNarrowString(const wchar_t* text, CTCharTranslate& translate);
std::wstring NarrowToWideString(const char* text, CTCharTranslate& translate);

// Form encoding: ASCII letters, digits and "-_.~" stay, a blank becomes "+",
// every other byte "%XX" in capitals.
std::string UrlEncodeForm(const std::string& text);

// Starts the program a command line names (a quoted or plain path, then its
// arguments) in the program's own folder and waits up to 30 s until it is
// ready for input. True when it started and became ready.
bool StartProcess(const std::string& commandLine);

// Ends every process whose image is "AndroidServer.exe" (any case); returns 1.
int KillPhoneServerProcess();
