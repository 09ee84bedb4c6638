// Readers of the texts that phone queries get back from adb and devcon. Each
// checks the text's shape before it takes a piece of it, so a malformed or
// cut-short reply gives "nothing found" instead of a read past its end. Lines
// may end in CR LF (a phone's terminal) or LF alone.
#pragma once

#include <string>

// "VID_hhhh&PID_hhhh" (hex digits in either case).
bool IsUsbIdentity(const std::string& text);

// The USB identity of the first "USB\VID" in devcon's listing of the USB
// interfaces; false when that place does not hold one.
bool UsbIdentityFromDevconListing(const std::string& listing, std::string& identity);

// The description devcon prints after "<instance id>: " on the first line of a
// find listing, with that line's end; false without one.
bool DescriptionFromDevconListing(const std::string& listing, std::string& description);

// Everything after the first ":"; false when there is none.
bool TextAfterFirstColon(const std::string& text, std::string& after);

// True for a non-empty text made only of line ends: what the phone prints for
// an empty property.
bool IsOnlyLineEnds(const std::string& text);

// The text after the first line feed when one stands before the last
// character; the text unchanged otherwise.
std::wstring DropFirstLineWhenMore(const std::wstring& text);

// The phone path of "package:<path>" in the package manager's reply, without
// the line end; false when there is none.
bool PackagePathFromPmReply(const std::string& reply, std::string& path);

// True when the command word of an adb command line is "push" or "pull".
bool IsTransferCommandLine(const wchar_t* commandLine);
