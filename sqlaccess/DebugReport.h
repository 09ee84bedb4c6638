// Debugger-output lines of the library, stamped with the local time.
#pragma once

// printf-style; the line goes to OutputDebugStringA as
// "YYYY-MM-DD hh:mm:ss\t\t<message>\r\n".
void DebugReport(const char* format, ...);
