#include "StandInLog.h"

#include "ComControlsStandIn.h"

#include <vector>

namespace standin {

namespace {
std::wstring& Journal() {
    static std::wstring journal;
    return journal;
}
LONG g_liveObjects = 0;
}  // namespace

void Log(const std::wstring& line) {
    Journal() += line;
    Journal() += L'\n';
}

void ObjectCreated() { ::InterlockedIncrement(&g_liveObjects); }
void ObjectDestroyed() { ::InterlockedDecrement(&g_liveObjects); }
long LiveObjects() { return g_liveObjects; }

}  // namespace standin

STANDIN_EXPORT const wchar_t* StandInCallLog() { return standin::Journal().c_str(); }
STANDIN_EXPORT void StandInClearLog() { standin::Journal().clear(); }
STANDIN_EXPORT long StandInLiveObjects() { return standin::LiveObjects(); }
