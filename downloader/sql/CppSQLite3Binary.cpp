#include "sql/CppSQLite3.h"

#include <cstring>

int CppSQLite3Binary::Encode(const unsigned char* data, int length, unsigned char* out) {
    if (length <= 0 || data == nullptr) {
        if (out != nullptr) {
            out[0] = 'x';
            out[1] = 0;
        }
        return 1;
    }
    // The offset e is the byte value for which the fewest bytes need an
    // escape: those equal to e, e + 1 and e + '\''.
    int counts[256] = {};
    for (int i = 0; i < length; ++i) ++counts[data[i]];
    int fewest = length;
    int offset = 1;
    for (int e = 1; e < 256 && fewest > 0; ++e) {
        if (e == '\'') continue;
        const int escapes = counts[e] + counts[(e + 1) & 0xFF] + counts[(e + '\'') & 0xFF];
        if (escapes < fewest) {
            fewest = escapes;
            offset = e;
        }
    }
    if (out == nullptr) return length + fewest + 1;
    out[0] = static_cast<unsigned char>(offset);
    int j = 1;
    for (int i = 0; i < length; ++i) {
        unsigned char x = static_cast<unsigned char>(data[i] - offset);
        if (x == 0 || x == 1 || x == '\'') {
            out[j++] = 1;
            ++x;
        }
        out[j++] = x;
    }
    out[j] = 0;
    return j;
}

int CppSQLite3Binary::Decode(const unsigned char* text, unsigned char* out) {
    if (text == nullptr || text[0] == 0) return -1;
    const unsigned char offset = *text++;
    int i = 0;
    for (unsigned char c; (c = *text++) != 0;) {
        if (c == 1) {
            c = *text++;
            if (c != 1 && c != 2 && c != '\'' + 1) return -1;  // only 0, 1 and '\'' are escaped
            --c;
        }
        out[i++] = static_cast<unsigned char>(c + offset);
    }
    return i;
}

void CppSQLite3Binary::SetBinary(const unsigned char* data, int length) {
    if (length < 0) length = 0;
    buffer_.assign(static_cast<size_t>(length) + 1, 0);
    if (length > 0) std::memcpy(buffer_.data(), data, static_cast<size_t>(length));
    binaryLength_ = length;
    encoded_ = false;
}

void CppSQLite3Binary::SetEncoded(const unsigned char* text) {
    const size_t length = text != nullptr ? std::strlen(reinterpret_cast<const char*>(text)) : 0;
    buffer_.assign(length + 1, 0);
    if (length > 0) std::memcpy(buffer_.data(), text, length);
    binaryLength_ = 0;
    encoded_ = true;
}

const unsigned char* CppSQLite3Binary::GetEncoded() {
    if (!encoded_) {
        const unsigned char* data = buffer_.empty() ? nullptr : buffer_.data();
        std::vector<unsigned char> text(static_cast<size_t>(Encode(data, binaryLength_, nullptr)) + 1);
        Encode(data, binaryLength_, text.data());
        buffer_.swap(text);
        encoded_ = true;
    }
    return buffer_.data();
}

const unsigned char* CppSQLite3Binary::GetBinary() {
    if (encoded_) {
        std::vector<unsigned char> data(buffer_.size() + 1, 0);
        const int length = Decode(buffer_.empty() ? nullptr : buffer_.data(), data.data());
        if (length < 0) throw CppSQLite3Exception(CPPSQLITE_ERROR, "Cannot decode binary");
        buffer_.swap(data);
        binaryLength_ = length;
        encoded_ = false;
    }
    return buffer_.empty() ? nullptr : buffer_.data();
}

int CppSQLite3Binary::GetBinaryLength() {
    GetBinary();
    return binaryLength_;
}

void CppSQLite3Binary::Clear() {
    buffer_.clear();
    binaryLength_ = 0;
    encoded_ = false;
}
