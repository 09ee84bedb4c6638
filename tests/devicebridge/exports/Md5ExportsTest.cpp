// The digest exports, called through LoadLibrary/GetProcAddress as the programs do.
#include <cstring>
#include <string>

#include "HemlarLibrary.h"
#include "TestPaths.h"

namespace {

using Md5Fn = int(__cdecl*)(const char*, char*);

class Md5Exports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(hemlar.Loaded()) << "Hemlar.dll did not load";
        stringMd5 = hemlar.Get<Md5Fn>("GetStringMD5");
        fileMd5 = hemlar.Get<Md5Fn>("GetFileMD5");
        ASSERT_NE(stringMd5, nullptr);
        ASSERT_NE(fileMd5, nullptr);
    }

    std::string OfString(const std::string& text) {
        char out[64];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(stringMd5(text.c_str(), out), 1);
        return out;
    }

    // Returns the digest text and checks the export's result and terminator.
    std::string OfFile(const std::wstring& path) {
        char out[64];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(fileMd5(testsupport::ToAnsi(path).c_str(), out), 1);
        return out;
    }

    HemlarLibrary hemlar;
    Md5Fn stringMd5 = nullptr;
    Md5Fn fileMd5 = nullptr;
    testsupport::ScratchDir scratch;
};

struct Vector {
    const char* text;
    const char* digest;
};

// The test suite of RFC 1321, plus lengths around the padding boundary.
const Vector kVectors[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
    {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6"},
};

TEST_F(Md5Exports, StringDigestsMatchTheReferenceVectors) {
    for (const Vector& v : kVectors) EXPECT_EQ(OfString(v.text), v.digest) << "text: \"" << v.text << "\"";
}

TEST_F(Md5Exports, FileDigestEqualsDigestOfTheSameBytesAsText) {
    // Lengths around the 64-byte block, the 56-byte padding edge, the old
    // 65535 refusal and the 1 MiB read piece.
    const size_t lengths[] = {1, 55, 56, 63, 64, 65, 119, 120, 65535, 65536, 0x100000 - 1, 0x100000, 0x100000 + 1};
    for (size_t length : lengths) {
        std::string bytes(length, '\0');
        // No NUL bytes: the text export sees a C string.
        for (size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 131 + 7) % 255 + 1);
        std::wstring path = scratch.File(L"data-" + std::to_wstring(length) + L".bin");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
        EXPECT_EQ(OfFile(path), OfString(bytes)) << "length " << length;
    }
}

TEST_F(Md5Exports, FileOfSeveralMebibytesIsReadInPieces) {
    // 5 MiB + 17 bytes of 'a': the digest of the same bytes given as text.
    std::string bytes(5 * 0x100000 + 17, 'a');
    std::wstring path = scratch.File(L"big.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes));
    EXPECT_EQ(OfFile(path), OfString(bytes));
    EXPECT_EQ(OfFile(path).size(), 32u);
}

TEST_F(Md5Exports, MissingEmptyOrFolderPathGivesEmptyTextNotAGarbageDigest) {
    std::wstring empty = scratch.File(L"empty.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(empty, ""));
    EXPECT_EQ(OfFile(scratch.File(L"no-such-file.bin")), "");
    EXPECT_EQ(OfFile(empty), "");
    EXPECT_EQ(OfFile(scratch.Path()), "");
}

TEST_F(Md5Exports, FileNamedInTheChineseCodePage) {
    std::wstring path = scratch.File(L"\x5237\x673a\x5305.zip");  // 刷机包.zip
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "abc"));
    EXPECT_EQ(OfFile(path), "900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
