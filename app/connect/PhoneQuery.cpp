#include "PhoneQuery.h"

#include <windows.h>

#include "log/Log.h"
#include "net/ApiRequests.h"
#include "net/JsonReply.h"
#include "net/WebApi.h"
#include "util/Helpers.h"
#include "win32/TextConvert.h"

namespace {

void SetName(PhoneConnectRecord& record, const std::wstring& name) {
    CopyToFixedBuffer(name, record.name, sizeof record.name / sizeof record.name[0]);
}

}  // namespace

void SplitAndroidId(const std::string& androidId, std::wstring& vid, std::wstring& pid) {
    vid.clear();
    pid.clear();
    const size_t amp = androidId.find('&');
    if (amp == std::string::npos) return;
    if (amp > 4) vid = AnsiToWide(androidId.substr(4, amp - 4));
    if (androidId.size() > amp + 5) pid = AnsiToWide(androidId.substr(amp + 5, 4));
}

PhoneConnectReport QueryPhoneInfo(const std::wstring& vid, const std::wstring& pid, const DeviceBridge& bridge,
                                  const WebEndpoint& api) {
    PhoneConnectReport report;
    const std::wstring model = bridge.PhoneVersion();
    report.data.vid = vid;
    report.data.pid = pid;
    // The model text goes into the query form-encoded: a blank or an
    // ampersand in it cannot break the request.
    const std::string reply = HttpGetToString(ShuajiPath(WideToAnsi(vid), WideToAnsi(pid), WideToAnsi(model)), api);
    OutputDebugStringA(reply.c_str());
    // No answer, an answer that is not JSON (an error page) or one without
    // the phone's keys: the phone is attached all the same and is shown by
    // its own model text, as when the service cannot be reached.
    Json::Value root;
    if (reply.empty() || !ParseJsonObject(reply, root) || !JsonHas(root, "manufactory") || !JsonHas(root, "model") ||
        !JsonHas(root, "recovery_url")) {
        SetName(report.record, model);
        return report;
    }
    const std::string manufacturer = Utf8ToAnsiString(JsonText(root, "manufactory").c_str());
    const std::string serviceModel = Utf8ToAnsiString(JsonText(root, "model").c_str());
    if (manufacturer.empty()) {
        SetName(report.record, model);
        return report;
    }
    report.data.largeIconUrl = JsonText(root, "largeIconPath");
    report.data.sid = JsonText(root, "sid");
    report.data.recoveryUrl = JsonText(root, "recovery_url");
    report.data.phoneTypeId = JsonText(root, "phoneType_id");
    CopyToFixedBuffer(report.data.recoveryUrl, report.record.recoveryUrl, sizeof report.record.recoveryUrl);
    if (report.data.phoneTypeId.empty()) SetName(report.record, model);
    else SetName(report.record, AnsiToWide(manufacturer + " " + serviceModel));
    return report;
}
