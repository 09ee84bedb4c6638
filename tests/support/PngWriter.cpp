#include "PngWriter.h"

#include "TestPaths.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace testsupport {

std::string EncodePng(int width, int height, const std::vector<uint32_t>& argb) {
    std::vector<unsigned char> rgba;
    rgba.reserve(argb.size() * 4);
    for (uint32_t pixel : argb) {
        rgba.push_back(static_cast<unsigned char>(pixel >> 16));
        rgba.push_back(static_cast<unsigned char>(pixel >> 8));
        rgba.push_back(static_cast<unsigned char>(pixel));
        rgba.push_back(static_cast<unsigned char>(pixel >> 24));
    }
    std::string out;
    auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
    };
    stbi_write_png_to_func(append, &out, width, height, 4, rgba.data(), width * 4);
    return out;
}

bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint32_t>& argb) {
    std::string bytes = EncodePng(width, height, argb);
    return !bytes.empty() && WriteFileBytes(path, bytes);
}

}  // namespace testsupport
