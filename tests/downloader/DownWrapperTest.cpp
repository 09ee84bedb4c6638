// Binding the optional download engine: a missing library, one that lacks
// names, and XL_Init answering yes or no. The stand-ins are copied into a
// folder as "xldl.dll", as the engine would lie beside the program.
#include "engine/DownWrapper.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

using testsupport::ProgramFolder;
using testsupport::ScratchDir;

namespace {

std::wstring Install(const ScratchDir& dir, const wchar_t* standIn) {
    const std::wstring path = dir.File(L"xldl.dll");
    CopyFileW((ProgramFolder() + standIn).c_str(), path.c_str(), FALSE);
    return path;
}

TEST(DownWrapper, WithoutTheLibraryNothingIsBound) {
    EXPECT_EQ(nullptr, CreateDownWrapper()) << "no xldl.dll lies beside the test program";
    EXPECT_EQ(nullptr, BindDownloadEngine());
    EXPECT_THROW(DownWrapper(L"Z:\\no\\such\\xldl.dll"), std::wstring);
}

TEST(DownWrapper, InitDecidesWhetherTheEngineIsKept) {
    const struct {
        const wchar_t* standIn;
        BOOL init;
        int boundNames;
    } cases[] = {
        {L"xldl_standin_ready.dll", TRUE, 18},
        {L"xldl_standin_refuses.dll", FALSE, 18},
        {L"xldl_standin_partial.dll", TRUE, 9},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        SetEnvironmentVariableW(L"XLDL_STANDIN_INIT_CALLED", nullptr);
        int bound = 0;
        {
            DownWrapper wrapper(Install(dir, c.standIn));
            for (int i = 0; i < DownWrapper::kEntryCount; ++i) bound += wrapper.EntryAt(i) != nullptr;
            EXPECT_EQ(c.init, wrapper.Init()) << c.standIn;
        }
        EXPECT_EQ(c.boundNames, bound) << c.standIn;
        EXPECT_NE(0u, GetEnvironmentVariableW(L"XLDL_STANDIN_INIT_CALLED", nullptr, 0)) << "XL_Init ran";
    }
}

}  // namespace
