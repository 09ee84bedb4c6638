// A test-only in-process COM server that stands in for ActiveX controls the
// machine lacks: a windowless control, a windowed control, one whose
// initialisation fails, a Flash-like control with its event connection
// point and a browser with IWebBrowser2 and DWebBrowserEvents2. Hosts load
// it by module name, without the registry. Tests read its call log and its
// count of live objects through the plain exports below.
#pragma once
#include <ole2.h>
#include <windows.h>

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

// {5A1E0001-7C3B-4D2A-9E61-3F0B8C1D2E01} and the next three; the last is
// windowless but offers only a plain view object, without hit testing.
static const CLSID CLSID_StandInWindowless = {0x5A1E0001, 0x7C3B, 0x4D2A, {0x9E, 0x61, 0x3F, 0x0B, 0x8C, 0x1D, 0x2E, 0x01}};
static const CLSID CLSID_StandInWindowed = {0x5A1E0002, 0x7C3B, 0x4D2A, {0x9E, 0x61, 0x3F, 0x0B, 0x8C, 0x1D, 0x2E, 0x01}};
static const CLSID CLSID_StandInFailingInit = {0x5A1E0003, 0x7C3B, 0x4D2A, {0x9E, 0x61, 0x3F, 0x0B, 0x8C, 0x1D, 0x2E, 0x01}};
static const CLSID CLSID_StandInPlainView = {0x5A1E0004, 0x7C3B, 0x4D2A, {0x9E, 0x61, 0x3F, 0x0B, 0x8C, 0x1D, 0x2E, 0x01}};

// Colours the stand-ins draw (0xRRGGBB).
const COLORREF kStandInWindowlessColour = RGB(0xFF, 0x80, 0x00);
const COLORREF kStandInWindowedColour = RGB(0x20, 0xA0, 0x40);

// The call log, one line per call, and its reset.
typedef const wchar_t*(__cdecl* StandInCallLogFn)();
typedef void(__cdecl* StandInClearLogFn)();
// COM objects of the module still alive (controls, sinks' points, documents, factories).
typedef long(__cdecl* StandInLiveObjectsFn)();
// Invokes the connected event sink (Flash events or browser events) as the
// control would; E_UNEXPECTED when none is connected.
typedef HRESULT(__cdecl* StandInFireEventFn)(DISPID id, DISPPARAMS* params);
// The UI handler the host gave the browser's document (not add-referenced), or null.
typedef IUnknown*(__cdecl* StandInDocumentUIHandlerFn)();
