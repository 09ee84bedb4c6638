// The short-lived workers of the phone connection: the driver check after a
// USB arrival, the connection after the Android id is known or the user asks,
// and the screenshot. Each gets its own copy of what it needs, taken on the
// UI thread, and reports to the frame by posted messages only.
#pragma once

#include <windows.h>

#include <string>

#include "device/DeviceEnumerator.h"
#include "web/WebHosts.h"

struct PhoneJob {
    HWND frame = nullptr;
    HMODULE hemlar = nullptr;
    WebEndpoint api;
    std::wstring vid, pid;  // from the last USB arrival; empty when none
    std::string androidId;  // "VID_xxxx&PID_xxxx" from the start-up probe
    HANDLE driverMutex = nullptr;          // "ticketsBrush": one driver check at a time
    IDeviceEnumerator* devices = nullptr;  // lives as long as the process
    std::wstring tempFolder;               // with a trailing backslash
    DWORD serviceWaitMs = 5000;            // the service check's wait for the app
    unsigned phoneSession = 0;             // the frame's phone session when the job was made
};

// The bodies, run on the calling thread. Results as the thread procedures
// return them: 0 / 1 done, -1 no phone.
int TryConnectAndroid(const PhoneJob& job);
int ConnectPhone(const PhoneJob& job);
int TakeScreenshot(const PhoneJob& job);
// Gives the companion app `job.serviceWaitMs` to start, then asks whether its
// run failed: kPhoneLogError when it did, kShowAuthorize when it waits for
// the user's authorisation on the phone.
int CheckService(const PhoneJob& job);

// Starts a worker on a copy of the job; the returned handle is the caller's.
HANDLE StartTryConnectAndroidThread(const PhoneJob& job);
HANDLE StartConnectPhoneThread(const PhoneJob& job);
HANDLE StartScreenshotThread(const PhoneJob& job);
HANDLE StartCheckServiceThread(const PhoneJob& job);
