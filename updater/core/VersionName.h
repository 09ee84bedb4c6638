// Version names ("major.minor.patch") and how an offered version relates to
// the installed one.
#pragma once

#include <string>

// One to eight numbers of at most nine digits joined by dots, nothing else:
// the only names that may become a folder name. "3.0" and "2.3.4.5" are
// version names; how they compare is ParseVersionName's business.
bool IsVersionName(const std::string& name);

struct VersionNumber {
    long major = 0, minor = 0, patch = 0;
};

// "%d.%d.%d": the first three numbers; parts that are missing or unreadable
// count as 0, numbers after the third are not read.
VersionNumber ParseVersionName(const std::string& name);

// The update class: 1 new major, 2 new minor or even patch, 3 odd patch,
// -1 not newer.
int UpdateClass(const VersionNumber& installed, const VersionNumber& offered);
