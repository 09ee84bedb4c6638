// Identifying a phone: its model text from the device library, then the
// signed "getShuaji" query to the web service.
#pragma once

#include "connect/PhoneConnectRecord.h"
#include "device/DeviceBridge.h"
#include "web/WebHosts.h"

PhoneConnectReport QueryPhoneInfo(const std::wstring& vid, const std::wstring& pid, const DeviceBridge& bridge,
                                  const WebEndpoint& api);

// The VID and PID inside an Android id text "VID_xxxx&PID_xxxx"; both empty
// without the '&'.
void SplitAndroidId(const std::string& androidId, std::wstring& vid, std::wstring& pid);
