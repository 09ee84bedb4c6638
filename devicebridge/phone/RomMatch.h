// Does a ROM package fit a phone type? Compares the model that the ROM's
// "system/build.prop" declares with the model names the web service lists
// for the type, and uses the device assertion of the ROM's installer script
// to tell a clear mismatch from an open case.
#pragma once

#include <string>

// 1 the ROM fits, -1 it does not, 0 cannot tell (the caller asks the user).
int RomMatchPhone(int phoneTypeId, const wchar_t* romPath);

// The value of "key" (e.g. "ro.product.model=") in a property file's text:
// what follows its first occurrence up to the line end; CR LF and LF line
// ends give the same value. Empty when the key is missing.
std::string PropertyValue(const std::string& text, const std::string& key);

// The devices an installer script asserts: with blanks removed, the text
// between the first assert(getprop("ro.product.device") and the next ";".
std::string DeviceAssertion(std::string script);

// The text with its spaces and tabs removed.
std::string WithoutBlanks(std::string text);

// Decides the match from the ROM's model, its device assertion and the web
// service's type list reply (JSON with "num" and "typeName0".. members).
int MatchTypeList(const std::string& model, const std::string& assertion, const std::string& reply);
