#include "FrameLog.h"

#include <log4cplus/fileappender.h>
#include <log4cplus/initializer.h>
#include <log4cplus/layout.h>

#include <memory>
#include <mutex>

log4cplus::Logger FrameLogger() { return log4cplus::Logger::getInstance(LOG4CPLUS_TEXT("Torvanik")); }

void AttachFrameLog(const std::wstring& file) {
    static std::once_flag attached;
    std::call_once(attached, [&file] {
        log4cplus::initialize();
        log4cplus::SharedAppenderPtr appender(
            new log4cplus::FileAppender(file, std::ios_base::trunc, true /* flush each line */, true /* make folders */));
        appender->setLayout(std::unique_ptr<log4cplus::Layout>(
            new log4cplus::PatternLayout(LOG4CPLUS_TEXT("%d{%m/%d/%y %H:%M:%S}    - %m [%l]%n"))));
        FrameLogger().addAppender(appender);
    });
}
