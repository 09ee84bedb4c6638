// Version names ("major.minor.patch") and how an offered version relates to
// the installed one.
#pragma once

#include <string>

// Digits and dots only, three numbers of at most nine digits: the only names
// that may become a folder name.
bool IsVersionName(const std::string& name);

struct VersionNumber {
    long major = 0, minor = 0, patch = 0;
};

// "%d.%d.%d"; parts that are missing or unreadable count as 0.
VersionNumber ParseVersionName(const std::string& name);

// The update class: 1 new major, 2 new minor or even patch, 3 odd patch,
// -1 not newer.
int UpdateClass(const VersionNumber& installed, const VersionNumber& offered);
