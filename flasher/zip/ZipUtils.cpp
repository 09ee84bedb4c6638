#include "ZipUtils.h"

#include "ItemExtraction.h"
#include "ItemNames.h"
#include "RunOnThreads.h"
#include "ZipReader.h"
#include "ZipTextHelpers.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"
#include "zip/ZipEntryName.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>

namespace {

void DebuggerLine(const wchar_t* line) {
    OutputDebugStringW(line);
    OutputDebugStringW(L"\n");
}

std::atomic<ZipUtilsLogger> g_logger{&DebuggerLine};

void Log(const std::wstring& line) { g_logger.load()(line.c_str()); }

std::wstring SystemError() { return std::to_wstring(GetLastError()); }

// Owns an open archive.
class OpenArchive {
public:
    explicit OpenArchive(const wchar_t* path) : zip_(ZipArchiveOpen(path, 0, ZIPKIND_FILENAME)) {}
    ~OpenArchive() {
        if (zip_) ZipArchiveClose(zip_);
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;
    ZipReaderHandle* Get() const { return zip_; }

private:
    ZipReaderHandle* zip_;
};

}  // namespace

void SetZipUtilsLogger(ZipUtilsLogger logger) { g_logger = logger ? logger : &DebuggerLine; }

bool Unzip(const wchar_t* zipPath, const wchar_t* itemName, const wchar_t* targetFile) {
    if (!zipPath || !itemName || !targetFile) return false;
    CreateDirectoriesForFile(targetFile);
    OpenArchive zip(zipPath);
    if (!zip.Get()) {
        Log(std::wstring(zipPath) + L" hz == NULL, errcode = " + SystemError());
        return false;
    }
    int index = -1;
    ZipItemInfo entry;
    if (FindZipItem(zip.Get(), itemName, false, &index, &entry) != ZRC_OK || index == -1) {
        Log(std::wstring(L" FindZipItem ") + itemName + L" index == -1");
        return false;
    }
    const std::wstring target(targetFile);
    ClearReadOnly(target);
    const DWORD code = UnzipItem(zip.Get(), index, const_cast<wchar_t*>(targetFile), 0, ZIPKIND_FILENAME);
    if (code != ZRC_OK)
        Log(std::wstring(L" UnzipItem != ZR_OK, name = ") + itemName + L" errcode= " + SystemError());
    ClearReadOnly(target);
    return code == ZRC_OK;
}

bool Unzip(const char* zipPath, const char* itemName, const char* targetFile) {
    if (!zipPath || !itemName || !targetFile) return false;
    return Unzip(AnsiToWide(std::string_view(zipPath)).c_str(), AnsiToWide(std::string_view(itemName)).c_str(),
                 AnsiToWide(std::string_view(targetFile)).c_str());
}

namespace {

// Items are written on this many threads at once: inflating one item and
// creating the file of another overlap, and so do their round trips to the
// system.
constexpr unsigned kUnpackThreads = 4;

// What became of one item: its log line, when it has one, and whether it counts
// as extracted (a kept item does).
struct ItemOutcome {
    bool extracted = true;
    std::wstring line;
};

}  // namespace

bool UnzipWithBackup(const wchar_t* zipPath, const wchar_t* targetFolder, const wchar_t* backupFolder,
                     const std::vector<std::wstring>& keep) {
    if (!zipPath || !targetFolder) return false;
    OpenArchive zip(zipPath);
    if (!zip.Get()) {
        Log(std::wstring(zipPath) + L" hz == NULL, errcode = " + SystemError());
        return false;
    }
    ZipItemInfo entry;
    ZipReadEntry(zip.Get(), -1, &entry);
    const int count = entry.index;
    // Which items are written is decided in the archive's order; the writing
    // follows, and the log lines come out in that order too.
    std::vector<ItemOutcome> outcomes(static_cast<size_t>(std::max(count, 0)));
    std::vector<PlannedItem> items;
    std::vector<ItemPath> paths;
    std::set<std::wstring> written;  // each file on disk once: a second item of that name is refused
    for (int index = 0; index < count; ++index) {
        ItemOutcome& outcome = outcomes[index];
        if (ZipReadEntry(zip.Get(), index, &entry) != ZRC_OK) {
            outcome = {false, L" ZipReadEntry != ZR_OK, index = " + std::to_wstring(index)};
            continue;
        }
        if (std::find(keep.begin(), keep.end(), std::wstring(entry.name)) != keep.end()) continue;
        if (!zipcore::IsContainedEntryName(entry.name)) {
            outcome = {false, std::wstring(L" refused item outside the folder, ze.name = ") + entry.name};
            continue;
        }
        if (!written.insert(DiskKey(entry.name)).second) {
            outcome = {false, std::wstring(L" refused a second item of the same name, ze.name = ") + entry.name};
            continue;
        }
        items.push_back({index, entry.name, entry.attributes});
        const std::wstring name = WithBackslashes(entry.name);
        const bool folderItem = name.back() == L'\\';
        if (folderItem && backupFolder && *backupFolder) continue;  // writes nothing: folders come with their files
        paths.push_back({name, folderItem || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)});
    }
    const std::wstring backup = backupFolder ? backupFolder : L"";
    const bool independent =
        WritableInAnyOrder(paths, targetFolder, backup) && !ReachesALinkedFolder(paths, targetFolder, backup);
    ItemExtraction extraction(zip.Get(), targetFolder, backupFolder, independent);
    // Items that could meet on disk are written one after another, in order.
    RunOnThreads(items.size(), independent ? kUnpackThreads : 1, [&](size_t i) {
        ItemOutcome& outcome = outcomes[items[i].index];
        outcome.extracted = extraction.Run(items[i], &outcome.line);
    });
    bool allExtracted = true;
    for (const ItemOutcome& outcome : outcomes) {
        if (!outcome.line.empty()) Log(outcome.line);
        allExtracted = allExtracted && outcome.extracted;
    }
    return allExtracted;
}
