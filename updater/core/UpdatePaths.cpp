#include "core/UpdatePaths.h"

#include "win32/TextConvert.h"

UpdatePaths UpdatePaths::ForInstallation(const std::wstring& installationFolder) {
    UpdatePaths paths;
    paths.base = installationFolder;
    if (!paths.base.empty() && paths.base.back() != L'\\') paths.base += L'\\';
    paths.autoupdate = paths.base + L"autoupdate\\";
    paths.curjson = paths.autoupdate + L"curjson";
    paths.newjson = paths.autoupdate + L"newjson";
    paths.oldjson = paths.autoupdate + L"oldjson";
    paths.package = paths.autoupdate + L"Update.zip";
    paths.packageSkipMarker = paths.package + L".skip";
    paths.localNewjsonMarker = paths.autoupdate + L"flaglocalnewjson";
    paths.testRunMarker = paths.autoupdate + L"flagtestsubmit";
    paths.dayFile = paths.autoupdate + L"config.ini";
    paths.versionIni = paths.autoupdate + L"version.ini";
    paths.applyJournal = paths.autoupdate + L"applying";
    paths.appliedMarker = paths.autoupdate + L"applied";
    paths.asideFolder = paths.autoupdate + L"aside\\";
    paths.refusedOffer = paths.autoupdate + L"refused";
    return paths;
}

std::wstring UpdatePaths::StagingFolder(const std::string& version) const {
    return autoupdate + L"temp\\" + AnsiToWide(version) + L"\\";
}

std::wstring UpdatePaths::BackupFolder(const std::string& version) const {
    return autoupdate + L"localold\\-" + AnsiToWide(version) + L"\\";
}
