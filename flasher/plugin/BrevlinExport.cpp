#include "plugin/BrevlinExport.h"

#include "BrevlinsUI.h"
#include "PluginState.h"
#include "ZipUtils.h"
#include "log/ProgramLog.h"
#include "web/WkeEngine.h"

BREVLIN_API UiLib::CControlUI* BREVLIN_CALL new_CBrevlinsUI(UiLib::CPaintManagerUI* host) {
    PluginState::CaptureExeFolder();
    programlog::Open(PluginState::Get().exeFolder);
    SetZipUtilsLogger([](const wchar_t* line) { programlog::Line(std::wstring_view(line)); });
    // The host started the web engine; the page's web view only uses it.
    WkeEngine::Instance().Attach();
    return new CBrevlinsUI(host);
}
