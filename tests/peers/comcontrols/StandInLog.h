// The stand-in controls' shared record: a call log in order and the number
// of their COM objects still alive, read by tests through the exports in
// ComControlsStandIn.h.
#pragma once
#include <windows.h>

#include <string>

namespace standin {

void Log(const std::wstring& line);
// Every COM object of the module counts itself in and out.
void ObjectCreated();
void ObjectDestroyed();
long LiveObjects();

}  // namespace standin
