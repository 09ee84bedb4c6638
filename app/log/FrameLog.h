// The frame's log4cplus log: a file truncated at each start, flushed after
// every line, next to the plain log in the program's log folder.
#pragma once

#include <log4cplus/logger.h>
#include <log4cplus/loggingmacros.h>

#include <string>

// Attaches the file appender to the program's logger (once per process).
void AttachFrameLog(const std::wstring& file);
log4cplus::Logger FrameLogger();
