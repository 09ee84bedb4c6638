// Writes small PNG pictures for image tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Encodes width x height pixels given as 0xAARRGGBB, row by row from the top.
std::string EncodePng(int width, int height, const std::vector<uint32_t>& argb);
// Encodes and writes them to a file; false when it cannot.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint32_t>& argb);

}  // namespace testsupport
