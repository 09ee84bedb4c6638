// An offered package the updater refused (it did not open, named places
// outside the installation, or failed to apply and was undone) is remembered
// in "autoupdate\refused", so that it is neither fetched nor tried again at
// every start, closing the main program each time, until the service offers
// another version or another package.
#pragma once

#include <string>

#include "core/UpdatePaths.h"

struct PackageOffer {
    std::string version;     // "versionName" of newjson
    std::string packageUrl;  // the flavour's package URL member of newjson
};

// The offer newjson holds now.
PackageOffer CurrentOffer(const UpdatePaths& paths, const std::string& packageUrlKey);

void RememberRefusedOffer(const UpdatePaths& paths, const PackageOffer& offer);
bool IsRefusedOffer(const UpdatePaths& paths, const PackageOffer& offer);
