#include "adb/AdbShell.h"

#include "adb/sysdeps_win32.h"

#include <io.h>
#include <process.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kMaxFramebufferBytes = 256u * 1024 * 1024;

struct PumpArguments {
    int connection;
    int input;
};

void __cdecl ShellInputPump(void* raw) {
    PumpArguments args = *static_cast<PumpArguments*>(raw);
    free(raw);
    ShellEscapeScanner scanner;
    char buffer[1024];
    for (;;) {
        int n = _read(args.input, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < n; ++i) {
            if (scanner.Feed(buffer[i])) {
                fprintf(stderr, "\n* disconnect *\n");
                exit(0);
            }
        }
        if (HandleWrite(args.connection, buffer, static_cast<size_t>(n)) <= 0) break;
    }
}

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

void PutLe16(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(v & 0xFF);
    out.push_back(v >> 8);
}
void PutLe32(std::vector<unsigned char>& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

bool ReadHeader(int fd, FramebufferImage& image) {
    unsigned char word[4];
    if (ReadExactly(fd, word, 4) != 0) return false;
    image.version = Le32(word);
    if (image.version == 1) {
        unsigned char rest[48];
        if (ReadExactly(fd, rest, sizeof rest) != 0) return false;
        uint32_t* fields[] = {&image.bpp, &image.size, &image.width, &image.height, &image.redOffset,
                              &image.redLength, &image.blueOffset, &image.blueLength, &image.greenOffset,
                              &image.greenLength, &image.alphaOffset, &image.alphaLength};
        for (int i = 0; i < 12; ++i) *fields[i] = Le32(rest + 4 * i);
        return true;
    }
    if (image.version == 16) {
        unsigned char rest[12];
        if (ReadExactly(fd, rest, sizeof rest) != 0) return false;
        image.size = Le32(rest);
        image.width = Le32(rest + 4);
        image.height = Le32(rest + 8);
        image.bpp = 16;
        image.redOffset = 11, image.redLength = 5;
        image.greenOffset = 5, image.greenLength = 6;
        image.blueOffset = 0, image.blueLength = 5;
        return true;
    }
    return false;
}

uint8_t Channel(uint32_t v, uint32_t offset, uint32_t length) {
    if (length == 0) return 0;
    return static_cast<uint8_t>(((v >> offset) & ((1u << length) - 1)) << (8 - length));
}

}  // namespace

bool ShellEscapeScanner::Feed(char c) {
    if (c == '\n' || c == '\r') {
        state_ = 1;
    } else if (c == '~') {
        if (state_ == 1) state_ = 2;
    } else if (c == '.' && state_ == 2) {
        return true;
    } else {
        state_ = 0;
    }
    return false;
}

int AdbInteractiveShell(const AdbTarget& target, std::string& output) {
    int fd = AdbConnectService(target, "shell:", output);
    if (fd < 0) return 1;
    auto* args = static_cast<PumpArguments*>(malloc(sizeof(PumpArguments)));
    if (args) {
        *args = {fd, 0};
        if (_beginthread(ShellInputPump, 0, args) == static_cast<uintptr_t>(-1)) free(args);
    }
    AdbReadToOutput(fd, output);
    // The connection stays open: the input pump may still be writing to it
    // and ends by itself when a write fails after the phone closed its side.
    return 0;
}

bool FramebufferHeaderIsSound(const FramebufferImage& image) {
    if (image.bpp != 16 && image.bpp != 32) return false;
    if (image.width == 0 || image.height == 0 || image.size > kMaxFramebufferBytes) return false;
    uint64_t needed = static_cast<uint64_t>(image.width) * image.height * (image.bpp / 8);
    if (needed > image.size) return false;
    const uint32_t lengths[] = {image.redLength, image.greenLength, image.blueLength, image.alphaLength};
    const uint32_t offsets[] = {image.redOffset, image.greenOffset, image.blueOffset, image.alphaOffset};
    for (int i = 0; i < 4; ++i) {
        if (lengths[i] > 8 || offsets[i] + lengths[i] > image.bpp) return false;
    }
    return true;
}

int AdbFramebufferShot(const AdbTarget& target, const std::wstring& path, bool turned, std::string& output) {
    int fd = AdbConnectService(target, "framebuffer:", output);
    if (fd < 0) return 1;
    FramebufferImage image;
    image.turned = turned;
    bool ok = ReadHeader(fd, image) && FramebufferHeaderIsSound(image);
    if (ok) {
        image.pixels.resize(image.size);
        ok = ReadExactly(fd, image.pixels.data(), image.size) == 0;
    }
    HandleClose(fd);
    if (!ok || !WriteBmp(image, path)) return 1;
    printf("shortcut success \n");
    return 0;
}

bool WriteBmp(const FramebufferImage& image, const std::wstring& path) {
    if (!FramebufferHeaderIsSound(image) || image.pixels.size() < image.size) return false;
    const uint32_t bytesPerPixel = image.bpp / 8;
    const uint32_t rowSize = (image.width * 3 + 3) & ~3u;
    const uint32_t imageSize = rowSize * image.height;
    std::vector<unsigned char> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    PutLe32(out, 54 + imageSize);
    PutLe32(out, 0);
    PutLe32(out, 54);
    PutLe32(out, 40);
    PutLe32(out, image.width);
    PutLe32(out, image.height);
    PutLe16(out, 1);
    PutLe16(out, 24);
    PutLe32(out, 0);
    PutLe32(out, imageSize);
    for (int i = 0; i < 4; ++i) PutLe32(out, 0);
    for (uint32_t r = 0; r < image.height; ++r) {
        // Without the turn the bottom source row comes first (BMP rows go
        // bottom-up); with it the top row comes first, each mirrored.
        uint32_t row = image.turned ? r : image.height - 1 - r;
        for (uint32_t c = 0; c < image.width; ++c) {
            uint32_t column = image.turned ? image.width - 1 - c : c;
            const unsigned char* p = &image.pixels[(static_cast<size_t>(row) * image.width + column) * bytesPerPixel];
            uint32_t v = bytesPerPixel == 2 ? (p[0] | (p[1] << 8)) : Le32(p);
            out.push_back(Channel(v, image.blueOffset, image.blueLength));
            out.push_back(Channel(v, image.greenOffset, image.greenLength));
            out.push_back(Channel(v, image.redOffset, image.redLength));
        }
        for (uint32_t pad = image.width * 3; pad < rowSize; ++pad) out.push_back(0);
    }
    FILE* file = _wfopen(path.c_str(), L"wb+");
    if (!file) return false;
    bool written = fwrite(out.data(), 1, out.size(), file) == out.size();
    return fclose(file) == 0 && written;
}
