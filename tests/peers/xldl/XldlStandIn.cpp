// A stand-in for the outside download engine xldl.dll. Built in variants:
// XLDL_INIT_RESULT is what XL_Init returns, XLDL_PARTIAL leaves out part of
// the entry points. XL_Init also counts its calls in a shared environment
// variable so a test can tell it ran.
#include <windows.h>

#include <string>

#define XL_EXPORT extern "C" __declspec(dllexport)

XL_EXPORT BOOL __stdcall XL_Init() {
    SetEnvironmentVariableW(L"XLDL_STANDIN_INIT_CALLED", L"1");
    return XLDL_INIT_RESULT;
}
XL_EXPORT BOOL __stdcall XL_UnInit() { return TRUE; }
XL_EXPORT HANDLE __stdcall XL_CreateTask(void*) { return nullptr; }
XL_EXPORT BOOL __stdcall XL_DeleteTask(HANDLE) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_StartTask(HANDLE) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_StopTask(HANDLE) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_QueryTaskInfo(HANDLE, void*) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_QueryTaskInfoEx(HANDLE, void*) { return FALSE; }
XL_EXPORT void __stdcall XL_SetSpeedLimit(INT32) {}
#ifndef XLDL_PARTIAL
XL_EXPORT void __stdcall XL_SetUploadSpeedLimit(INT32, INT32) {}
XL_EXPORT BOOL __stdcall XL_DelTempFile(void*) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_SetProxy(void*) { return FALSE; }
XL_EXPORT void __stdcall XL_SetUserAgent(const wchar_t*) {}
XL_EXPORT BOOL __stdcall XL_GetFileSizeWithUrl(const wchar_t*, INT64*) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_ParseThunderPrivateUrl(const wchar_t*, wchar_t*, ULONG) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_SetAdditionInfo(HANDLE, void*) { return FALSE; }
XL_EXPORT BOOL __stdcall XL_SetFileIdAndSize(HANDLE, char*, unsigned __int64) { return FALSE; }
XL_EXPORT HANDLE __stdcall XL_CreateTaskByURL(const wchar_t*, const wchar_t*, const wchar_t*, BOOL) { return nullptr; }
#endif
