// Small helpers the download engine, the task list and the database share:
// the redirect-following URL probe, the extension of a URL's file name, the
// UTF-8 / ANSI conversions into fixed fields, and the generated-name test.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>

// Follows redirects with header-only requests (up to three tries, 200 ms
// apart). True when a request completed, whatever its HTTP status; `out`
// then holds the final URL. A set `stop` ends the probe (false) within about
// a second, also while it waits for a host that does not answer.
bool GetEffectiveUrl(const std::string& url, std::string& out, const std::atomic<bool>* stop = nullptr);

// The file-name extension of a URL's last path component, with its dot
// (".zip"), ignoring any query string or fragment; empty when the component
// has no dot or the parts exceed their limits (name 259, extension 255).
// `name` receives the component without its extension.
void GetUrlExtension(const std::string& url, std::string& name, std::string& extension);

// Converts NUL-terminated text between UTF-8 and the ANSI code page into a
// destination of `capacity` bytes (which may be the source itself). The
// result is cut at a whole character to fit. Returns the bytes written
// including the terminator, or 0 when the text is not convertible.
int Utf8ToAnsi(const char* source, char* destination, size_t capacity);
int AnsiToUtf8(const char* source, char* destination, size_t capacity);

// True for an icon reference that is already a generated local name ("{...").
bool StartsWithBrace(const char* text);
