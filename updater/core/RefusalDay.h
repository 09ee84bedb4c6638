// "Not today": the date on which the user last declined the update dialog,
// in [nextDay] day of autoupdate\config.ini, as the UTC date "YYYYMMDD".
#pragma once

#include <windows.h>

#include <string>

std::wstring DateStamp(const SYSTEMTIME& utc);

// True when the stored date is the date of `utcNow`. A stored day of the
// month from older versions, or 0, never matches.
bool DeclinedOn(const std::wstring& dayFile, const SYSTEMTIME& utcNow);
void RecordDecline(const std::wstring& dayFile, const SYSTEMTIME& utcNow);

bool DeclinedToday(const std::wstring& dayFile);
void RecordDeclineToday(const std::wstring& dayFile);
