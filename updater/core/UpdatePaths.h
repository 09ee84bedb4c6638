// Where the updater keeps its state: the "autoupdate" folder of the
// installation and the files in it.
#pragma once

#include <string>

struct UpdatePaths {
    std::wstring base;        // the installation folder, ending in a backslash
    std::wstring autoupdate;  // base + "autoupdate\"
    std::wstring curjson, newjson, oldjson;
    std::wstring package;           // "Update.zip"
    std::wstring packageSkipMarker; // "Update.zip.skip": use the package on disk
    std::wstring localNewjsonMarker;
    std::wstring testRunMarker;
    std::wstring dayFile;     // config.ini
    std::wstring versionIni;
    std::wstring applyJournal;   // present while files of the installation are being replaced
    std::wstring appliedMarker;  // present once they are, until the version files follow
    std::wstring asideFolder;    // files in use that a recovery renamed out of the way
    std::wstring refusedOffer;   // the last offer whose package was refused

    static UpdatePaths ForInstallation(const std::wstring& installationFolder);

    // "temp\<version>\" and "localold\-<version>\" under autoupdate.
    std::wstring StagingFolder(const std::string& version) const;
    std::wstring BackupFolder(const std::string& version) const;
};
