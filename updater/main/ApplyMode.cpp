#include "main/ApplyMode.h"

#include "core/DeviceFacts.h"
#include "core/Flavour.h"
#include "core/PackageCheck.h"
#include "core/RefusedOffer.h"
#include "core/UpdatePaths.h"
#include "core/UpdaterSettings.h"
#include "core/VersionFiles.h"
#include "core/UpdateCheck.h"
#include "core/VersionName.h"
#include "core/manager/UIManager.h"
#include "ui/DialogRunner.h"

int UpdateApplyMain(HINSTANCE instance, const std::wstring& installationFolder, const std::wstring& ownFileName) {
    const UpdatePaths paths = UpdatePaths::ForInstallation(installationFolder);
    const int flavourId = FlavourOfFileName(ownFileName);
    const std::wstring settingsFile = paths.base + DescribeFlavour(flavourId, 1).settingsFile;
    const int webapiIndex = ReadWebapiIndex(settingsFile);

    UpdateDialogValues values;
    values.flavour = DescribeFlavour(flavourId, webapiIndex);
    values.report.channel = ReadChannel(settingsFile);
    const DeviceFacts facts = AskDeviceBridge();
    values.report.os = facts.os;
    values.report.mac = facts.mac;

    const std::string offered = ReadVersionMember(paths.newjson, "versionName").value_or(std::string());
    if (!IsVersionName(offered)) return -1;
    const int updateClass = UpdateClassAgainstInstalled(paths.curjson, offered);
    if (updateClass <= 0) return updateClass;
    // A refused package never closes the main program.
    const PackageOffer offer = CurrentOffer(paths, values.flavour.packageUrlKey);
    if (IsRefusedOffer(paths, offer)) return -1;
    if (!PackageAcceptable(paths.package)) {
        UpdaterTrace(L" package refused: " + paths.package);
        RememberRefusedOffer(paths, offer);
        return -1;
    }
    values.offer = offer;

    values.request.paths = paths;
    values.request.version = offered;
    values.request.keepList = values.flavour.keepList;
    values.request.settingsFile = values.flavour.settingsFile;
    values.automatic = updateClass == 1;

    UiLib::CPaintManagerUI::SetInstance(instance);
    UiLib::CPaintManagerUI::SetResourceInstance(instance);
    RunUpdateDialog(std::move(values));
    return 0;
}
