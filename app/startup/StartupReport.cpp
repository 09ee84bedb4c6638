#include "StartupReport.h"

#include <process.h>

#include <cstring>
#include <memory>

#include "device/DeviceBridge.h"
#include "frame/VersionText.h"
#include "messages/AppMessages.h"
#include "messages/PackageJson.h"
#include "net/ApiRequests.h"
#include "net/JsonReply.h"
#include "net/WebApi.h"
#include "settings/SettingsFile.h"
#include "util/Helpers.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace {

const char* const kAppKeys[] = {"name", "img", "trueUrl", "id", "type", "size", "hash", "msg", "error"};

void ReportStart(const StartupJob& job, const DeviceBridge& bridge) {
    std::string mac, windows;
    if (!bridge.PcIdentity(mac, windows)) return;
    const std::string version = WideToAnsi(ReadInstalledVersion(job.programFolder + L"\\autoupdate\\curjson"));
    const std::string channel = SettingsFile(job.programFolder).Channel("none");
    HttpGetToString(StartReportPath(mac, windows, version, channel), job.api);
}

void RecommendRom(const StartupJob& job) {
    const std::string id = SettingsFile(job.programFolder).RecommendedPackageId();
    const std::string reply = HttpGetToString(RomDownUrlPath(id), job.api);
    if (!reply.empty()) SendMessageW(job.frame, appmsg::kPackageJson, reinterpret_cast<WPARAM>(reply.c_str()), 0);
}

void News(const StartupJob& job) {
    OutputDebugStringA("PNT SetIndexGovNews Begin");
    Json::Value list;
    if (ParseJson(HttpGetToString(RecommendNewsPath(), job.api), list) && list.isArray()) {
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            NewsItem item = {};
            CopyToFixedBuffer(AnsiToWide(Utf8ToAnsiString(JsonText(list[i], "titles").c_str())), item.title, 50);
            CopyToFixedBuffer(Utf8ToWide(JsonText(list[i], "url")), item.url, 100);
            SendMessageW(job.frame, appmsg::kNews, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    OutputDebugStringA("PNT SetIndexGovNews End");
}

// An element without one of the nine keys is skipped; the others still show.
void Apps(const StartupJob& job) {
    OutputDebugStringA("PNT SetIndexAppRecommend Begin");
    Json::Value list;
    if (ParseJson(HttpGetToString(RecommendAppsPath(), job.api), list) && list.isArray()) {
        const std::wstring iconFolder = job.programFolder + L"\\data\\AppRecIcon\\";
        CreateFolderTree(iconFolder);
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            const Json::Value& app = list[i];
            bool complete = app.isObject();
            for (const char* key : kAppKeys) complete = complete && JsonHas(app, key);
            if (!complete) continue;
            const PackageRecord record = PackageRecordFromJson(app);
            const std::wstring icon = iconFolder + AnsiToWide(record.Name) + L".png";
            if (!FileExists(icon)) DownloadUrlToFile(Utf8ToWide(JsonText(app, "img")), icon);
            SendMessageW(job.frame, appmsg::kRecommendItem, i, reinterpret_cast<LPARAM>(&record));
        }
    }
    OutputDebugStringA("PNT SetIndexAppRecommend End");
}

void ProbePhone(const StartupJob& job, const DeviceBridge& bridge) {
    std::string id;
    if (!bridge.AndroidId(id)) {
        OutputDebugStringA("Kovi刷机__No_Connect");
        return;
    }
    OutputDebugStringA("Kovi刷机连接");
    auto block = std::make_unique<char[]>(18);
    std::memset(block.get(), 0, 18);
    CopyToFixedBuffer(id, block.get(), 18);
    if (PostMessageW(job.frame, appmsg::kAndroidId, reinterpret_cast<WPARAM>(block.get()), 0)) block.release();
}

unsigned __stdcall StartupReportThread(void* argument) {
    std::unique_ptr<StartupJob> job(static_cast<StartupJob*>(argument));
    RunStartupReport(*job);
    return 0;
}

}  // namespace

void RunStartupReport(const StartupJob& job) {
    const DeviceBridge bridge(job.hemlar);
    ReportStart(job, bridge);
    RecommendRom(job);
    News(job);
    Apps(job);
    ProbePhone(job, bridge);
}

HANDLE StartStartupReportThread(const StartupJob& job) {
    auto copy = std::make_unique<StartupJob>(job);
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &StartupReportThread, copy.get(), 0, nullptr));
    if (thread) copy.release();
    return thread;
}
