#include "core/Flavour.h"

#include <algorithm>

#include "web/WebHosts.h"

int FlavourOfFileName(const std::wstring& fileName) { return fileName == L"Quellart.exe" ? 1 : 0; }

std::vector<std::string> RotateToIndex(std::vector<std::string> urls, int oneBasedIndex) {
    if (oneBasedIndex >= 1 && static_cast<size_t>(oneBasedIndex) <= urls.size())
        std::rotate(urls.begin(), urls.begin() + (oneBasedIndex - 1), urls.end());
    return urls;
}

namespace {

const char kReportQuery[] = "&mac=%s&os=%s&type=4&state=1&version=%s&msg=%s&channel=%s";

ProductFlavour SuiteFlavour() {
    ProductFlavour suite;
    suite.id = 1;
    suite.settingsFile = L"data\\BrushConfig.dat";
    suite.packageUrlKey = "downloadUrl";
    const std::string api = ApiHost().BaseUrl() + "/";
    suite.checkUrls = {api + "index.php?c=feedback&a=getSoftwareUpdate"};
    suite.reportUrls = {api + "index.php?c=feedback&a=pcActionLog" + kReportQuery};
    // The downloader keeps its database beside its program in DownModule; the
    // older place under downloads\ is kept as well.
    suite.keepList = {L"DownModule/downloads/Downloader.db", L"DownModule/Downloader.db", L"data/BrushConfig.dat",
                      L"autoupdate/curjson"};
    suite.mainWindowTitles = {L"Kovi\x5237\x673A", L"Torvanik"};
    suite.mainImage = L"Torvanik.exe";
    suite.skinResourceId = 114;
    return suite;
}

ProductFlavour OtherFlavour(int webapiIndex) {
    ProductFlavour other;
    other.id = 0;
    other.settingsFile = L"data\\SarvelConfig.ini";
    other.packageUrlKey = "downloadurl";
    other.checkUrls = RotateToIndex({"http://api.sarvel.cn/update/getSoftwareUpdate",
                                     "http://api2.sarvel.cn/update/getSoftwareUpdate"},
                                    webapiIndex);
    other.reportUrls = RotateToIndex({std::string("http://api.sarvel.cn/log/install?") + (kReportQuery + 1),
                                      std::string("http://api2.sarvel.cn/log/install?") + (kReportQuery + 1)},
                                     webapiIndex);
    other.keepList = {L"Sarvel.db", L"data/SarvelConfig.ini", L"autoupdate/curjson"};
    other.mainWindowTitles = {L"\x8428\x5C14\x7EF4\x52A9\x624B", L"Sarvel"};
    other.mainImage = L"Sarvel.exe";
    other.skinResourceId = 113;
    return other;
}

}  // namespace

ProductFlavour DescribeFlavour(int flavour, int webapiIndex) {
    return flavour == 1 ? SuiteFlavour() : OtherFlavour(webapiIndex);
}
