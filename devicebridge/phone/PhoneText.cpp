#include "phone/PhoneText.h"

#include <cctype>
#include <cwctype>

namespace {

std::string LineAt(const std::string& text, size_t start) {
    size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
}

}  // namespace

bool IsUsbIdentity(const std::string& text) {
    static const char kPattern[] = "VID_hhhh&PID_hhhh";
    if (text.size() != sizeof kPattern - 1) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        bool ok = kPattern[i] == 'h' ? std::isxdigit(c) != 0 : std::toupper(c) == kPattern[i];
        if (!ok) return false;
    }
    return true;
}

bool UsbIdentityFromDevconListing(const std::string& listing, std::string& identity) {
    static const char kMarker[] = "USB\\VID";
    size_t at = listing.find(kMarker);
    if (at == std::string::npos) return false;
    std::string candidate = listing.substr(at + 4, 17);
    if (!IsUsbIdentity(candidate)) return false;
    identity = candidate;
    return true;
}

bool DescriptionFromDevconListing(const std::string& listing, std::string& description) {
    size_t colon = listing.find(": ");
    size_t lineEnd = listing.find('\n');
    if (colon == std::string::npos || (lineEnd != std::string::npos && lineEnd < colon)) return false;
    std::string line = LineAt(listing, colon + 2);
    if (WithoutLineEnd(line).empty()) return false;
    description = lineEnd == std::string::npos ? line : line + "\n";
    return true;
}

bool TextAfterFirstColon(const std::string& text, std::string& after) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    after = text.substr(colon + 1);
    return true;
}

bool IsOnlyLineEnds(const std::string& text) {
    return !text.empty() && text.find_first_not_of("\r\n") == std::string::npos;
}

std::wstring DropFirstLineWhenMore(const std::wstring& text) {
    size_t lineFeed = text.find(L'\n');
    if (lineFeed == std::wstring::npos || lineFeed + 1 >= text.size()) return text;
    return text.substr(lineFeed + 1);
}

bool PackagePathFromPmReply(const std::string& reply, std::string& path) {
    static const char kMarker[] = "package:";
    size_t at = reply.find(kMarker);
    if (at == std::string::npos) return false;
    std::string found = WithoutLineEnd(LineAt(reply, at + sizeof kMarker - 1));
    if (found.empty()) return false;
    path = found;
    return true;
}

bool IsTransferCommandLine(const wchar_t* commandLine) {
    if (!commandLine) return false;
    const wchar_t* p = commandLine;
    while (*p == L' ' || *p == L'\t') ++p;
    std::wstring word;
    while (*p && !std::iswspace(*p)) word += *p++;
    return word == L"push" || word == L"pull";
}
