// Stands in for the flashing plug-in Brevlin.dll in the main program's tests:
// exports new_CBrevlinsUI, returns a plain page control that listens to the
// host's notifications and appends every "romflash_" one it is sent to the
// file named by TORVANIK_PLUGIN_LOG, one UTF-8 line each:
//   <type>\t<wParam text>\t<lParam text>\t<phone name label>\t<phone status label>
// For "romflash_update_downloader" the wParam text is the record's
// "Type|ObjectUrl|Err"; for "romflash_backup_recevie" both arguments are
// numbers (the item bit, 1 when its file arrived), for
// "romflash_phonedata_status" the wParam is the counts text.
// When TORVANIK_PLUGIN_CLICK_ON_DATA names a control of the host window, the
// page clicks it once the phone's counts arrived, as a user would then.
// When TORVANIK_PLUGIN_SEMAPHORE names a semaphore, it is released once for
// every line, so a waiting program needs no polling of the file.
#include <windows.h>

#include <fstream>
#include <string>

#include "core/manager/UIControl.h"
#include "core/manager/UIManager.h"
#include "record/PackageRecord.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

std::string Field(const char* text, size_t capacity) { return WideToUtf8(AnsiToWide(std::string(text, BoundedLength(text, capacity)))); }

class RecordingPage : public CControlUI, public INotifyUI {
public:
    explicit RecordingPage(CPaintManagerUI* manager) : host_(manager) { host_->AddNotifier(this); }
    ~RecordingPage() override { host_->RemoveNotifier(this); }

    void Notify(TNotifyUI& msg) override {
        if (msg.pSender != this) return;
        const std::string type = WideToUtf8(msg.sType.GetData());
        if (type.compare(0, 9, "romflash_") != 0) return;
        std::string first, second;
        if (type == "romflash_update_downloader" && msg.wParam) {
            const auto* record = reinterpret_cast<const PackageRecord*>(msg.wParam);
            first = Field(record->Type, sizeof record->Type) + "|" + Field(record->ObjectUrl, sizeof record->ObjectUrl) +
                    "|" + Field(record->Err, sizeof record->Err);
        } else if (type == "romflash_backup_recevie") {
            first = std::to_string(msg.wParam);
            second = std::to_string(msg.lParam);
        } else if (type == "romflash_phonedata_status") {
            first = msg.wParam ? Field(reinterpret_cast<const char*>(msg.wParam), 260) : "";
        } else if (type == "romflash_connect") {
            first = msg.wParam ? Field(reinterpret_cast<const char*>(msg.wParam), 260) : "";
            second = msg.lParam ? Field(reinterpret_cast<const char*>(msg.lParam), 260) : "";
        }
        if (type == "romflash_phonedata_status") ClickNamedControl();
        Append(type + "\t" + first + "\t" + second + "\t" + LabelText(L"textConnectPhoneName") + "\t" +
               LabelText(L"TextPhoneStatue") + "\n");
        Signal();
    }

private:
    void ClickNamedControl() {
        wchar_t name[64] = {};
        if (!GetEnvironmentVariableW(L"TORVANIK_PLUGIN_CLICK_ON_DATA", name, 64)) return;
        if (CControlUI* control = host_->FindControl(name)) host_->SendNotify(control, L"click", 0, 0);
    }

    std::string LabelText(const wchar_t* name) const {
        CControlUI* label = host_->FindControl(name);
        return label ? WideToUtf8(label->GetText().GetData()) : std::string();
    }

    static void Signal() {
        wchar_t name[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"TORVANIK_PLUGIN_SEMAPHORE", name, MAX_PATH)) return;
        if (HANDLE semaphore = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, name)) {
            ReleaseSemaphore(semaphore, 1, nullptr);
            CloseHandle(semaphore);
        }
    }

    static void Append(const std::string& line) {
        wchar_t path[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"TORVANIK_PLUGIN_LOG", path, MAX_PATH)) return;
        std::ofstream(path, std::ios::binary | std::ios::app) << line;
    }

    CPaintManagerUI* host_;
};

}  // namespace

extern "C" __declspec(dllexport) CControlUI* __cdecl new_CBrevlinsUI(CPaintManagerUI* manager) {
    return manager ? new RecordingPage(manager) : nullptr;
}
