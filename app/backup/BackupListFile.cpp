#include "backup/BackupListFile.h"

#include "util/ProcessUtil.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

#include <rapidxml/rapidxml.hpp>
#include <rapidxml/rapidxml_print.hpp>

#include <cstring>
#include <iterator>

namespace {

const char kRoot[] = "config";
const char kEntry[] = "Element";
const char* const kAttributes[] = {"time", "phoneName", "pathDir"};

struct Extension {
    int bit;
    const wchar_t* suffix;
};
const Extension kExtensions[] = {{1, L".vcf"}, {2, L".xml"}, {4, L".vcl"}};

// True when every non-ASCII text of the list is well-formed UTF-8: a list
// written by earlier builds, which stored UTF-8. Lists written now hold the
// ANSI code page, where Chinese text is almost never well-formed UTF-8; one
// text that is not decides for the whole file, which is written in one form.
bool ListIsUtf8(const std::vector<std::string_view>& texts) {
    bool anyWide = false;
    for (std::string_view text : texts) {
        bool ascii = true;
        for (char ch : text)
            if (static_cast<unsigned char>(ch) >= 0x80) ascii = false;
        if (ascii) continue;
        anyWide = true;
        if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                  0) <= 0)
            return false;
    }
    return anyWide;
}

bool ReadFileBytes(const std::wstring& file, std::string& bytes) {
    ScopedHandle handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) return false;
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(handle.Get(), &size) || size.QuadPart > (64 << 20)) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    return bytes.empty() || (::ReadFile(handle.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                             read == bytes.size());
}

// Writes beside the list, then moves the new file over it.
bool ReplaceFileContent(const std::wstring& file, const std::string& content) {
    std::wstring temporary = file + L".tmp";
    {
        ScopedHandle handle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle) return false;
        DWORD written = 0;
        if (!::WriteFile(handle.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
            written != content.size() || !::FlushFileBuffers(handle.Get())) {
            handle.Reset();
            ::DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (::MoveFileExW(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

// The list as records, read from the file; false when it is not a list.
bool ParseList(const std::wstring& file, std::vector<BackupRecord>& records) {
    records.clear();
    std::string bytes;
    if (!ReadFileBytes(file, bytes) || bytes.empty()) return false;
    bytes.push_back('\0');
    rapidxml::xml_document<> document;
    try {
        document.parse<0>(&bytes[0]);
    } catch (const rapidxml::parse_error&) {
        return false;
    }
    rapidxml::xml_node<>* root = document.first_node(kRoot);
    if (!root) return false;
    std::vector<std::string_view> texts;  // three per entry, in the parsed buffer
    for (auto* node = root->first_node(kEntry); node; node = node->next_sibling(kEntry)) {
        for (const char* name : kAttributes) {
            auto* attribute = node->first_attribute(name);
            texts.push_back(attribute ? std::string_view(attribute->value(), attribute->value_size())
                                      : std::string_view());
        }
    }
    const bool utf8 = ListIsUtf8(texts);
    for (size_t i = 0; i + 2 < texts.size(); i += 3) {
        std::string fields[3];
        for (int j = 0; j < 3; ++j)
            fields[j] = utf8 ? WideToAnsi(Utf8ToWide(texts[i + j])) : std::string(texts[i + j]);
        records.push_back(MakeBackupRecord(fields[0], fields[1], fields[2]));
    }
    return true;
}

// The texts go out as the narrow bytes the records hold, in the ANSI code
// page, whatever the declaration says: the other readers of the list expect
// them so. Only a new list gets the declaration; a list rewritten after
// reading holds the <config> element alone, as it was parsed.
bool WriteList(const std::wstring& file, const std::vector<BackupRecord>& records, bool declare) {
    rapidxml::xml_document<> document;
    if (declare)
        document.append_node(document.allocate_node(rapidxml::node_pi, "xml", "version='1.0' encoding='utf-8'"));
    auto* root = document.allocate_node(rapidxml::node_element, kRoot);
    document.append_node(root);
    std::vector<std::string> texts;  // the attribute values must outlive printing
    texts.reserve(records.size() * 3);
    for (const BackupRecord& record : records) {
        auto* entry = document.allocate_node(rapidxml::node_element, kEntry);
        texts.emplace_back(record.time, BoundedLength(record.time, sizeof record.time));
        texts.emplace_back(record.phoneName, BoundedLength(record.phoneName, sizeof record.phoneName));
        texts.emplace_back(record.path, BoundedLength(record.path, sizeof record.path));
        for (int i = 0; i < 3; ++i) {
            const std::string& value = texts[texts.size() - 3 + i];
            entry->append_attribute(document.allocate_attribute(kAttributes[i], value.c_str(), 0, value.size()));
        }
        root->append_node(entry);
    }
    std::string content;
    rapidxml::print(std::back_inserter(content), document, 0);
    return ReplaceFileContent(file, content);
}

}  // namespace

BackupRecord MakeBackupRecord(std::string_view time, std::string_view phoneName, std::string_view path) {
    BackupRecord record = {};
    CopyToFixedBuffer(time, record.time, sizeof record.time);
    CopyToFixedBuffer(phoneName, record.phoneName, sizeof record.phoneName);
    CopyToFixedBuffer(path, record.path, sizeof record.path);
    return record;
}

int BackupFileMask(const BackupRecord& record) {
    std::wstring base = AnsiToWide({record.path, BoundedLength(record.path, sizeof record.path)});
    int mask = 0;
    for (const Extension& extension : kExtensions)
        if (FileExists(base + extension.suffix)) mask |= extension.bit;
    return mask;
}

std::wstring BackupListPath() { return GetModuleFolderW() + L"\\data\\DataBackRes.xml"; }

bool CreateBackupList(const std::wstring& file) { return WriteList(file, {}, true); }

bool LoadBackupList(const std::wstring& file, std::vector<BackupRecord>& records) {
    if (!ParseList(file, records)) return false;
    WriteList(file, records, false);
    return true;
}

bool AppendBackupRecord(const std::wstring& file, const BackupRecord& record) {
    std::vector<BackupRecord> records;
    if (!ParseList(file, records)) return false;
    records.push_back(record);
    return WriteList(file, records, false);
}

bool DeleteBackupRecords(const std::wstring& file, std::string_view time) {
    std::vector<BackupRecord> records;
    if (!ParseList(file, records)) return false;
    std::vector<BackupRecord> kept;
    for (const BackupRecord& record : records)
        if (std::string_view(record.time, BoundedLength(record.time, sizeof record.time)) != time) kept.push_back(record);
    return WriteList(file, kept, false);
}
