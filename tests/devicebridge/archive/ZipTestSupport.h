// Shared pieces of the zip reader tests: reading files back (a missing file
// reads as "<missing>", so it never equals expected content).
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace ziptest {

inline std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace ziptest
