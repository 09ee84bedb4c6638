// The two products one updater executable serves, told apart by its own file
// name, and everything that differs between them.
#pragma once

#include <string>
#include <vector>

struct ProductFlavour {
    int id = 1;                            // 1 this suite, 0 the other product
    std::wstring settingsFile;             // relative to the installation folder
    std::string packageUrlKey;             // key of the package URL in the version JSON
    std::vector<std::string> checkUrls;    // in order of trial
    std::vector<std::string> reportUrls;   // templates with five "%s", in order of trial
    std::vector<std::wstring> keepList;    // package items never unpacked
    std::wstring mainWindowClass = L"UIMainFrame";
    std::vector<std::wstring> mainWindowTitles;
    std::wstring mainImage;                // the main program's file name
    int skinResourceId = 114;
};

// 1 when the file-name part is exactly "Quellart.exe" (case-sensitive), else 0.
int FlavourOfFileName(const std::wstring& fileName);

// The flavour's values; the URL lists are rotated so that entry number
// `webapiIndex` (1-based) comes first. An index outside the list keeps its order.
ProductFlavour DescribeFlavour(int flavour, int webapiIndex);

std::vector<std::string> RotateToIndex(std::vector<std::string> urls, int oneBasedIndex);
