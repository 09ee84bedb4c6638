// IsRomMatchPhone through Hemlar.dll, with ROM zips built by the test zip
// writer and the type list served by the web service peer.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include "HemlarLibrary.h"
#include "phone/RomMatch.h"
#include "TestPaths.h"
#include "WebServicePeer.h"
#include "ZipWriter.h"

using testpeers::WebServicePeer;
using testsupport::ScratchDir;
using testsupport::ZipWriter;

namespace {

using IsRomMatchPhoneFn = int(__cdecl*)(int, const wchar_t*);

const char kHammerheadScript[] =
    "assert(getprop(\"ro.product.device\") == \"hammerhead\" || getprop(\"ro.build.product\") == \"hammerhead\" || "
    "abort(\"E3004: This package is for device: hammerhead\"));\nui_print(\"ok\");\n";
const char kListScript[] =
    "assert(getprop( \"ro.product.device\" ) == \"cancro\" ||\n\tgetprop(\"ro.product.device\") == \"MI 4LTE\");\n";

struct RomMatchFixture : ::testing::Test {
    HemlarLibrary library;
    IsRomMatchPhoneFn isRomMatchPhone = library.Get<IsRomMatchPhoneFn>("IsRomMatchPhone");
    WebServicePeer peer;
    ScratchDir dir;
    int romCount = 0;

    void SetUp() override {
        ASSERT_NE(nullptr, isRomMatchPhone);
        SetEnvironmentVariableA("TORVANIK_API_HOST", peer.HostAndPort().c_str());
    }
    void TearDown() override { SetEnvironmentVariableA("TORVANIK_API_HOST", nullptr); }

    // A ROM zip with the given build.prop and installer script (absent when null).
    std::wstring MakeRom(const char* buildProp, const char* script, DWORD buildPropAttributes = 0x20) {
        ZipWriter writer;
        writer.Add("boot.img", std::string(1000, 'b'));
        if (buildProp) writer.Add("system/build.prop", buildProp).externalAttributes = buildPropAttributes;
        if (script) writer.Add("META-INF/com/google/android/updater-script", script);
        std::wstring path = dir.File(L"rom" + std::to_wstring(romCount++) + L".zip");
        EXPECT_TRUE(testsupport::WriteFileBytes(path, writer.Build()));
        return path;
    }

    static std::string TypeList(int id) { return "index.php?c=feedback&a=getTypeList&id=" + std::to_string(id); }
};

std::string Prop(const std::string& model, const char* lineEnd = "\n") {
    return std::string("ro.product.brand=Acme") + lineEnd + "ro.product.model=" + model + lineEnd +
           "ro.product.device=dev" + lineEnd;
}

}  // namespace

TEST_F(RomMatchFixture, AnswersFromModelNamesAndDeviceAssertion) {
    const std::string nexus = Prop("Nexus 5");
    const std::string nexusCrLf = Prop("Nexus 5", "\r\n");
    const std::string noNewline = "ro.product.model=Nexus 5";
    const struct {
        const char* what;
        const char* buildProp;
        const char* script;
        std::string reply;
        int expected;
    } cases[] = {
        {"first name matches", nexus.c_str(), nullptr, R"({"num":2,"typeName0":"Nexus 5","typeName1":"X"})", 1},
        {"second name matches", nexus.c_str(), kHammerheadScript, R"({"num":2,"typeName0":"LG-D820","typeName1":"Nexus 5"})", 1},
        {"case differs", nexus.c_str(), nullptr, R"({"num":1,"typeName0":"nexus 5"})", 0},
        {"no match, no assertion", nexus.c_str(), nullptr, R"({"num":1,"typeName0":"MI 4"})", 0},
        {"no match, assertion names none", nexus.c_str(), kHammerheadScript, R"({"num":2,"typeName0":"cancro","typeName1":"MI 4"})", -1},
        {"no match, assertion holds a name", Prop("MI 4W").c_str(), kListScript, R"({"num":2,"typeName0":"X","typeName1":"cancro"})", 0},
        {"no match, assertion holds a name with a blank", Prop("MI 4W").c_str(), kListScript, R"({"num":1,"typeName0":"MI 4LTE"})", 0},
        {"num 0 with assertion", nexus.c_str(), kHammerheadScript, R"({"num":0})", -1},
        {"num 0 without assertion", nexus.c_str(), nullptr, R"({"num":0})", 0},
        {"CRLF line ends", nexusCrLf.c_str(), kHammerheadScript, R"({"num":1,"typeName0":"Nexus 5"})", 1},
        {"model on the last line", noNewline.c_str(), nullptr, R"({"num":1,"typeName0":"Nexus 5"})", 1},
        {"no build.prop", nullptr, kHammerheadScript, R"({"num":1,"typeName0":"Nexus 5"})", -1},
        {"no build.prop, no script", nullptr, nullptr, R"({"num":1,"typeName0":"Nexus 5"})", 0},
        {"empty model never matches an empty name", nullptr, nullptr, R"({"num":1,"typeName0":""})", 0},
        {"reply not JSON, strict", nexus.c_str(), kHammerheadScript, "<html>busy</html>", -1},
        {"reply not JSON", nexus.c_str(), nullptr, "<html>busy</html>", 0},
        {"empty reply, strict", nexus.c_str(), kHammerheadScript, "", -1},
        // A reply without an integer "num" lists no names: the assertion decides.
        {"error object, strict", nexus.c_str(), kHammerheadScript, R"({"error":1})", -1},
        {"error object", nexus.c_str(), nullptr, R"({"error":1})", 0},
        {"num as text", nexus.c_str(), kHammerheadScript, R"({"num":"2","typeName0":"a","typeName1":"Nexus 5"})", -1},
        {"num missing", nexus.c_str(), kHammerheadScript, R"({"typeName0":"Nexus 5"})", -1},
        {"num negative", nexus.c_str(), kHammerheadScript, R"({"num":-1,"typeName0":"Nexus 5"})", -1},
        {"reply is an array", nexus.c_str(), kHammerheadScript, R"([1,2,3])", -1},
        {"reply is a number", nexus.c_str(), kHammerheadScript, "42", -1},
        {"reply is an array, not strict", nexus.c_str(), nullptr, R"([1,2,3])", 0},
        // A name that is missing or not a string names nothing; the others still count.
        {"name not a string", nexus.c_str(), kHammerheadScript, R"({"num":2,"typeName0":5,"typeName1":"Nexus 5"})", 1},
        {"name is an object", nexus.c_str(), kHammerheadScript, R"({"num":1,"typeName0":{"a":1}})", -1},
        {"name missing", nexus.c_str(), kHammerheadScript, R"({"num":3,"typeName0":"zz0","typeName1":"zz1"})", -1},
        {"name missing, later one in the assertion", nexus.c_str(), kHammerheadScript,
         R"({"num":3,"typeName0":"zz0","typeName2":"hammerhead"})", 0},
        {"name past num is not read", nexus.c_str(), nullptr, R"({"num":1,"typeName0":"a","typeName1":"Nexus 5"})", 0},
        {"name with a leading zero is another member", nexus.c_str(), nullptr, R"({"num":2,"typeName01":"Nexus 5"})", 0},
        {"huge num, names missing", nexus.c_str(), kHammerheadScript, R"({"num":2147483647})", -1},
        {"huge num, last name matches", nexus.c_str(), kHammerheadScript,
         R"({"num":2147483647,"typeName2147483646":"Nexus 5"})", 1},
    };
    int id = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        peer.SetJson(TypeList(id), c.reply);
        EXPECT_EQ(c.expected, isRomMatchPhone(id, MakeRom(c.buildProp, c.script).c_str()));
        ++id;
    }
    // Every call asked the service exactly once for its type.
    auto requests = peer.Requests();
    ASSERT_EQ(std::size(cases), requests.size());
    EXPECT_EQ(TypeList(100), requests[0].path);
}

TEST_F(RomMatchFixture, PathsThatAreNoZipGiveAnEmptyModel) {
    peer.SetJson(TypeList(5), R"({"num":1,"typeName0":"Nexus 5"})");
    std::wstring notZip = dir.File(L"not-a-zip.zip");
    testsupport::WriteFileBytes(notZip, "just text");
    EXPECT_EQ(0, isRomMatchPhone(5, notZip.c_str()));
    EXPECT_EQ(0, isRomMatchPhone(5, dir.File(L"missing.zip").c_str()));
    EXPECT_EQ(0, isRomMatchPhone(5, nullptr));
}

TEST_F(RomMatchFixture, ServiceThatDropsTheConnectionCannotConfirmAMatch) {
    WebServicePeer::Reply cut;
    cut.misbehaviour = WebServicePeer::Misbehaviour::CutBody;
    cut.body = R"({"num":1,"typeName0":"Nexus 5"})";
    peer.SetReply(TypeList(6), cut);
    WebServicePeer::Reply silent;
    silent.misbehaviour = WebServicePeer::Misbehaviour::CloseWithoutReply;
    peer.SetReply(TypeList(7), silent);
    EXPECT_EQ(0, isRomMatchPhone(6, MakeRom(Prop("Nexus 5").c_str(), nullptr).c_str()));
    EXPECT_EQ(-1, isRomMatchPhone(7, MakeRom(Prop("Nexus 5").c_str(), kHammerheadScript).c_str()));
}

TEST_F(RomMatchFixture, ReadOnlyEntriesLeaveNoExtractedFilesBehind) {
    peer.SetJson(TypeList(8), R"({"num":1,"typeName0":"Nexus 5"})");
    const std::wstring rom = MakeRom(Prop("Nexus 5").c_str(), kHammerheadScript, FILE_ATTRIBUTE_READONLY);
    const std::wstring data = testsupport::ProgramFolder() + L"data\\";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(1, isRomMatchPhone(8, rom.c_str())) << round;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((data + L"buildTmp.prop").c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((data + L"SysbuildTmp.prop").c_str()));
    }
}

TEST_F(RomMatchFixture, OverlappingCallsEachReadTheirOwnRom) {
    // Even ids carry a fitting ROM, odd ids one that does not fit.
    constexpr int kThreads = 8, kRounds = 6;
    std::vector<std::wstring> roms;
    for (int t = 0; t < kThreads; ++t) {
        const std::string model = "Model-" + std::to_string(t);
        peer.SetJson(TypeList(t), R"({"num":1,"typeName0":")" + (t % 2 ? "Other" : model) + R"("})");
        roms.push_back(MakeRom(Prop(model).c_str(), kHammerheadScript));
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r)
                if (isRomMatchPhone(t, roms[t].c_str()) != (t % 2 ? -1 : 1)) ++wrong;
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(0, wrong.load());
}

TEST(RomMatchPieces, PropertyValuesAndDeviceAssertions) {
    EXPECT_EQ("X1", PropertyValue("a=b\nro.product.model=X1\r\nz=1", "ro.product.model="));
    EXPECT_EQ("", PropertyValue("ro.product.brand=X\n", "ro.product.model="));
    EXPECT_EQ("first", PropertyValue("ro.product.model=first\nro.product.model=second\n", "ro.product.model="));
    EXPECT_EQ("==\"hammerhead\"||getprop(\"ro.build.product\")==\"hammerhead\"||abort(\"E3004:Thispackageisfordevice:hammerhead\"))",
              DeviceAssertion(kHammerheadScript));
    EXPECT_EQ("==\"cancro\"||\ngetprop(\"ro.product.device\")==\"MI4LTE\")", DeviceAssertion(kListScript));
    EXPECT_EQ("", DeviceAssertion("ui_print(\"no assertion\");"));
    EXPECT_EQ("==\"x\")", DeviceAssertion("assert(getprop(\"ro.product.device\") == \"x\")"));
}
