// The pieces of the phone connection that need no phone: reading USB
// broadcasts and ids, the Android id, the ADB interface match, and package
// records built from JSON.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <cstring>
#include <vector>

#include "connect/PhoneQuery.h"
#include "device/DriverCheck.h"
#include "device/UsbArrival.h"
#include "messages/PackageJson.h"

namespace {

const GUID kHidClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// A real broadcast block with the path and a declared size.
std::vector<unsigned char> Broadcast(const GUID& cls, const std::wstring& path, DWORD declaredExtraChars = ~0u) {
    const size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    std::vector<unsigned char> block(nameOffset + (path.size() + 1) * sizeof(wchar_t), 0);
    auto* b = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(block.data());
    b->dbcc_size = static_cast<DWORD>(declaredExtraChars == ~0u ? block.size()
                                                                 : nameOffset + declaredExtraChars * sizeof(wchar_t));
    b->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    b->dbcc_classguid = cls;
    std::memcpy(block.data() + nameOffset, path.c_str(), path.size() * sizeof(wchar_t));
    return block;
}

const DEV_BROADCAST_HDR* Header(const std::vector<unsigned char>& block) {
    return reinterpret_cast<const DEV_BROADCAST_HDR*>(block.data());
}

}  // namespace

TEST(UsbArrival, ReadsUpperCaseIdsFromThePathAndRefusesBadOnes) {
    const struct {
        const wchar_t* path;
        bool ok;
        const wchar_t* vid;
        const wchar_t* pid;
    } cases[] = {
        {L"\\\\?\\USB#VID_18d1&PID_4ee7#0123456789ABCDEF#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", true, L"18D1", L"4EE7"},
        {L"\\\\?\\usb#vid_2717&pid_ff48#abc#{a5dcbf10}", true, L"2717", L"FF48"},
        {L"\\\\?\\USB#VID_18D1#0123#{guid}", false, L"", L""},            // no PID_
        {L"\\\\?\\USB#VID_18G1&PID_4EE7#0123", false, L"", L""},         // not hexadecimal
        {L"\\\\?\\USB#VID_18D1&PID_4E", false, L"", L""},                // cut short
        {L"VID_18D1&PID_4EE7", false, L"", L""},                         // ids inside the prefix are not read
        {L"", false, L"", L""},
    };
    for (const auto& c : cases) {
        UsbIds ids;
        EXPECT_EQ(c.ok, ParseUsbIds(c.path, ids)) << c.path;
        if (c.ok) {
            EXPECT_EQ(c.vid, ids.vid);
            EXPECT_EQ(c.pid, ids.pid);
        }
    }
}

TEST(UsbArrival, OnlyUsbDeviceInterfacesAreCandidates) {
    const std::wstring mouse = L"\\\\?\\HID#VID_046D&PID_C077#7&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    EXPECT_FALSE(IsUsbDeviceBroadcast(Header(Broadcast(kHidClass, mouse))));
    EXPECT_TRUE(IsUsbDeviceBroadcast(Header(Broadcast(kUsbDeviceInterfaceClass, L"\\\\?\\USB#VID_18D1&PID_4EE7#1"))));
    DEV_BROADCAST_HDR volume = {sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_VOLUME, 0};
    EXPECT_FALSE(IsUsbDeviceBroadcast(&volume));
    EXPECT_EQ(L"", BroadcastDevicePath(&volume));
    EXPECT_FALSE(IsUsbDeviceBroadcast(nullptr));
}

TEST(UsbArrival, PathIsReadWithinTheDeclaredSize) {
    const std::wstring path = L"\\\\?\\USB#VID_18D1&PID_4EE7#SERIAL";
    EXPECT_EQ(path, BroadcastDevicePath(Header(Broadcast(kUsbDeviceInterfaceClass, path))));
    // A broadcast that declares fewer characters than its text holds is cut there.
    EXPECT_EQ(path.substr(0, 10), BroadcastDevicePath(Header(Broadcast(kUsbDeviceInterfaceClass, path, 10))));
}

TEST(UsbArrival, DevicePathsCompareWithoutRegardToCase) {
    EXPECT_TRUE(SameDevicePath(L"\\\\?\\USB#VID_18D1&PID_4EE7#A", L"\\\\?\\usb#vid_18d1&pid_4ee7#a"));
    EXPECT_FALSE(SameDevicePath(L"\\\\?\\USB#VID_18D1&PID_4EE7#A", L"\\\\?\\USB#VID_18D1&PID_4EE7#B"));
    EXPECT_FALSE(SameDevicePath(L"", L""));
}

TEST(UsbArrival, ARemovalIsThePhonesByItsArrivalPathElseByItsIds) {
    const std::wstring arrival = L"\\\\?\\USB#VID_18D1&PID_4EE7#A";
    const UsbIds phone{L"18D1", L"4EE7"};
    const struct {
        std::wstring phonePath;
        UsbIds phone;
        std::wstring removed;
        bool isPhone;
    } cases[] = {
        // Found by a USB arrival: only that device's removal.
        {arrival, phone, L"\\\\?\\usb#vid_18d1&pid_4ee7#a", true},
        {arrival, phone, L"\\\\?\\USB#VID_18D1&PID_4EE7#B", false},
        // Found at start-up or by connecting on request: any device with its ids.
        {L"", phone, L"\\\\?\\USB#VID_18D1&PID_4EE7#SERIAL#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", true},
        {L"", phone, L"\\\\?\\USB#vid_18d1&pid_4ee7&MI_01#7&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}", true},
        {L"", phone, L"\\\\?\\USB#VID_18D1&PID_4EE8#SERIAL", false},
        {L"", phone, L"\\\\?\\USB#VID_2717&PID_4EE7#SERIAL", false},
        {L"", phone, L"\\\\?\\USB#ROOT_HUB30#4&1", false},
        // No phone known: nothing is its removal.
        {L"", UsbIds{}, L"\\\\?\\USB#VID_18D1&PID_4EE7#SERIAL", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.isPhone, RemovalNamesPhone(c.phonePath, c.phone, c.removed)) << c.removed;
}

TEST(PhoneQuery, SplitsTheAndroidId) {
    std::wstring vid, pid;
    SplitAndroidId("VID_18D1&PID_4EE7", vid, pid);
    EXPECT_EQ(L"18D1", vid);
    EXPECT_EQ(L"4EE7", pid);
    SplitAndroidId("VID_18D1PID_4EE7", vid, pid);
    EXPECT_EQ(L"", vid);
    EXPECT_EQ(L"", pid);
    SplitAndroidId("", vid, pid);
    EXPECT_EQ(L"", vid);
}

TEST(DriverCheck, TheAdbInterfaceIsKnownByPidAndClassSignature) {
    const UsbDeviceNode adb{L"USB\\VID_18D1&PID_4EE7&REV_0100", L"USB\\Class_ff&SubClass_42&Prot_01", L"USB\\X\\1"};
    EXPECT_TRUE(IsAdbInterfaceOf(adb, L"4EE7"));
    EXPECT_FALSE(IsAdbInterfaceOf(adb, L"4EE8"));
    EXPECT_FALSE(IsAdbInterfaceOf(adb, L""));
    const UsbDeviceNode storage{L"USB\\VID_18D1&PID_4EE7", L"USB\\Class_08&SubClass_06&Prot_50", L"USB\\X\\2"};
    EXPECT_FALSE(IsAdbInterfaceOf(storage, L"4EE7"));
}

TEST(PackageJson, FillsTheRecordAndNeverCarriesTheInstallMark) {
    Json::Value package;
    package["id"] = "77";
    package["name"] = u8"小米 ROM";
    package["trueUrl"] = "http://127.0.0.1/rom.zip";
    package["img"] = "http://127.0.0.1/rom.png";
    package["size"] = 123456;
    package["type"] = "0000r";  // a crafted type that would reach the mark byte
    package["hash"] = "abc";
    package["msg"] = "m";
    package["error"] = "-1";
    const PackageRecord record = PackageRecordFromJson(package);
    EXPECT_STREQ("77", record.Id);
    EXPECT_STREQ("\xD0\xA1\xC3\xD7 ROM", record.Name);  // GBK, the system's code page here
    EXPECT_STREQ("http://127.0.0.1/rom.zip", record.ObjectUrl);
    EXPECT_STREQ("123456", record.Size);
    EXPECT_STREQ("000", record.Type);
    EXPECT_FALSE(HasInstallMarker(record));
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (size_t i = offsetof(PackageRecord, Type) + 3; i < offsetof(PackageRecord, Hash); ++i) EXPECT_EQ(0, bytes[i]);
}

TEST(PackageJson, LongTextsAreCutAndBadTextGivesAnEmptyRecord) {
    Json::Value package;
    package["name"] = std::string(400, 'n');
    package["id"] = std::string(40, '9');
    const PackageRecord record = PackageRecordFromJson(package);
    EXPECT_EQ(259u, strlen(record.Name));
    EXPECT_EQ(11u, strlen(record.Id));
    const std::string text = "{\"name\":\"a\"";  // cut short
    const PackageRecord empty = PackageRecordFromText(text.data(), text.size());
    EXPECT_STREQ("", empty.Name);
    const std::string good = "{\"name\":\"abc\",\"type\":\"1\"}garbage-not-read";
    const PackageRecord parsed = PackageRecordFromText(good.data(), good.find('}') + 1);
    EXPECT_STREQ("abc", parsed.Name);
    EXPECT_STREQ("1", parsed.Type);
}
