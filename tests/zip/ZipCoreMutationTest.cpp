// Thousands of damaged variants of small valid zips: truncated, with flipped,
// replaced, removed or repeated bytes, with huge declared sizes and with
// hostile names. The zip core must neither crash nor hang, nor write anywhere
// but the folder it extracts into.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "TestPaths.h"
#include "zip/ZipEntryName.h"
#include "zip/ZipFileWriter.h"
#include "zip/ZipSession.h"
#include "ZipWriter.h"

using testsupport::ScratchDir;
using testsupport::ZipWriter;

namespace fs = std::filesystem;

namespace {

// Every stored name carries this mark, so stray files can be found anywhere.
constexpr char kMark[] = "mutx";

std::vector<std::string> BaseArchives() {
    std::vector<std::string> zips;
    {
        ZipWriter w;
        w.Add("mutx-a.txt", "alpha alpha alpha alpha alpha");
        w.Add("mutx-b.bin", std::string(3000, 'b'), false);
        w.AddDirectory("mutx-dir");
        w.Add("mutx-dir/c.txt", "gamma");
        zips.push_back(w.Build());
    }
    {
        ZipWriter w;
        w.Add("../mutx-up.txt", "up");
        w.Add("/mutx-abs.txt", "abs");
        w.Add("C:\\mutx-drive.txt", "drive");
        w.Add("C:mutx-drive-relative.txt", "drive");
        w.Add("a/../../mutx-climb.txt", "climb", false);
        w.Add("..\\..\\mutx-back.txt", "back");
        zips.push_back(w.Build());
    }
    {
        ZipWriter w;
        auto& e = w.Add("mutx-unix.txt", std::string(5000, 'u'));
        e.versionMadeBy = 0x031e;
        e.externalAttributes = 0100444u << 16;
        e.unixModificationTime = true;
        e.unixTime = 1234567890;
        w.Add("mutx-ro.txt", "ro").externalAttributes = 0x21;
        zips.push_back(w.Build("SFX-STUB"));
    }
    return zips;
}

// The same archive with a field of every central and local header set to value.
std::vector<std::string> WithField(const std::string& zip, size_t centralOffset, size_t localOffset, uint32_t value) {
    std::vector<std::string> out;
    std::string patched = zip;
    for (size_t at = patched.find("PK\x01\x02"); at != std::string::npos; at = patched.find("PK\x01\x02", at + 1)) {
        if (at + 46 > patched.size()) break;
        for (int i = 0; i < 4; ++i) patched[at + centralOffset + i] = static_cast<char>(value >> (8 * i));
        out.push_back(patched);
    }
    if (localOffset != 0) {
        std::string local = zip;
        for (size_t at = local.find("PK\x03\x04"); at != std::string::npos; at = local.find("PK\x03\x04", at + 1)) {
            if (at + 30 > local.size()) break;
            for (int i = 0; i < 4; ++i) local[at + localOffset + i] = static_cast<char>(value >> (8 * i));
        }
        out.push_back(local);
    }
    return out;
}

// Replaces the first stored name bytes of each central entry with a hostile
// prefix of the same length.
std::vector<std::string> WithHostileNames(const std::string& zip) {
    const char* prefixes[] = {"../", "..\\", "/", "\\", "C:", "C:\\", "Z:/", "/../", "..", "\\\\"};
    std::vector<std::string> out;
    for (const char* prefix : prefixes) {
        std::string patched = zip;
        for (size_t at = patched.find("PK\x01\x02"); at != std::string::npos; at = patched.find("PK\x01\x02", at + 1)) {
            if (at + 46 > patched.size()) break;
            const size_t nameLength = static_cast<uint8_t>(patched[at + 28]) | (static_cast<uint8_t>(patched[at + 29]) << 8);
            const size_t take = std::min(nameLength, std::strlen(prefix));
            if (at + 46 + take <= patched.size()) patched.replace(at + 46, take, prefix, take);
        }
        out.push_back(patched);
    }
    return out;
}

// Damages a copy of `seed`: flipped, replaced, removed or repeated bytes, or a
// cut end; `specials` are the byte values most likely to reach interesting paths.
std::string Mutate(const std::string& seed, std::mt19937& rng) {
    static const std::string specials("\x00\xFF\x50\x4B\x01\x02\x03\x04\x05\x06\x08\x10\x2E\x2F\x5C\x3A\x80\x7F", 18);
    std::string out = seed;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int i = 0; i < edits && !out.empty(); ++i) {
        const size_t at = rng() % out.size();
        switch (rng() % 6) {
        case 0: out[at] = static_cast<char>(out[at] ^ (1u << (rng() % 8))); break;
        case 1: out[at] = specials[rng() % specials.size()]; break;
        case 2: out.erase(at, 1 + rng() % 8); break;
        case 3: out.insert(at, out.substr(rng() % out.size(), 1 + rng() % 16)); break;
        case 4: out.resize(at); break;
        default: out[at] = static_cast<char>(rng()); break;
        }
    }
    return out;
}

std::vector<std::string> Mutants() {
    std::vector<std::string> mutants;
    std::mt19937 random(20240314);
    {
        // Skin-like archives: a folder, a "UT" block in a local header, a prefix.
        testsupport::ZipItem folder{"mutx-skin/", "", false};
        folder.externalAttributes = 0x41ED0010;
        testsupport::ZipItem stamped{"mutx-skin/img/a.png", std::string(3000, 'p')};
        stamped.localExtra = testsupport::UnixTimeExtra(0x7, {1, 2, 3});
        const std::string skins[] = {
            testsupport::BuildZip({testsupport::ZipItem{"mutx-skin/Main.xml", "<Window/>"}, folder, stamped}),
            testsupport::BuildZip({testsupport::ZipItem{"mutx-a.txt", "stored text", false},
                                   testsupport::ZipItem{"b/mutx-c.bin", std::string(20000, 'z')}},
                                  "prefix"),
        };
        for (int i = 0; i < 3000; ++i) mutants.push_back(Mutate(skins[i % 2], random));
    }
    for (const std::string& zip : BaseArchives()) {
        for (size_t length = 0; length < zip.size(); length += 1 + length / 64) mutants.push_back(zip.substr(0, length));
        for (int i = 0; i < 1200; ++i) {
            std::string flipped = zip;
            const int flips = 1 + static_cast<int>(random() % 3);
            for (int f = 0; f < flips; ++f)
                flipped[random() % flipped.size()] ^= static_cast<char>(1 + random() % 255);
            mutants.push_back(std::move(flipped));
        }
        for (uint32_t value : {0xffffffffu, 0x7fffffffu, 0x80000000u, 0x00100000u, 0u, 1u}) {
            for (auto [central, local] : {std::pair<size_t, size_t>{20, 18}, {24, 22}, {42, 0}, {16, 14}}) {
                for (std::string& m : WithField(zip, central, local, value)) mutants.push_back(std::move(m));
            }
        }
        // Name, extra and comment lengths of the central headers.
        for (uint32_t lengths : {0xffffffffu, 0x00ff00ffu, 0xffff0000u}) {
            for (std::string& m : WithField(zip, 28, 26, lengths)) mutants.push_back(std::move(m));
        }
        for (std::string& m : WithHostileNames(zip)) mutants.push_back(std::move(m));
    }
    return mutants;
}

// Names under folder (recursively) that carry the mark.
std::vector<fs::path> MarkedFiles(const fs::path& folder, bool recursive) {
    std::vector<fs::path> found;
    std::error_code ec;
    auto check = [&](const fs::directory_entry& entry) {
        if (entry.path().filename().string().find(kMark) != std::string::npos) found.push_back(entry.path());
    };
    if (recursive) {
        for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) check(*it);
    } else {
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) check(*it);
    }
    return found;
}

}  // namespace

TEST(ZipCoreMutation, DamagedArchivesNeitherCrashHangNorWriteOutsideTheTarget) {
    ScratchDir dir;
    const std::wstring target = dir.File(L"target\\");
    CreateDirectoryW(target.c_str(), nullptr);
    const std::wstring archive = dir.File(L"archive.zip");
    const std::vector<std::string> mutants = Mutants();
    ASSERT_GT(mutants.size(), 3000u);

    size_t opened = 0, extracted = 0;
    std::vector<unsigned char> piece(4096);
    for (size_t n = 0; n < mutants.size(); ++n) {
        const std::string& mutant = mutants[n];
        // Every third archive is read from a file, the rest from memory.
        std::unique_ptr<zipcore::ZipSource> source;
        if (n % 3 == 0) {
            ASSERT_TRUE(testsupport::WriteFileBytes(archive, mutant));
            source = zipcore::OpenFileSource(archive.c_str());
        } else {
            source = std::make_unique<zipcore::MemoryZipSource>(mutant.data(), mutant.size());
        }
        auto zip = zipcore::ZipDirectory::Open(std::move(source));
        if (!zip) continue;
        ++opened;
        const int count = std::min<int>(zip->DeclaredCount(), 16);
        for (int i = 0; i < count; ++i) {
            zipcore::EntryDescription entry;
            if (zipcore::DescribeEntry(*zip, i, &entry) != zipcore::LocateResult::Ok) continue;
            // The item read in pieces must come to an end, good or bad.
            zipcore::ZipItemLocation location;
            ASSERT_EQ(zip->Locate(i, &location), zipcore::LocateResult::Ok);
            zipcore::ZipItemStream stream(zip->Source(), location);
            auto status = zipcore::ZipItemStream::More;
            for (int calls = 0; status == zipcore::ZipItemStream::More && calls < 100000; ++calls) {
                size_t got = 0;
                status = stream.Read(piece.data(), piece.size(), &got);
            }
            ASSERT_NE(status, zipcore::ZipItemStream::More) << "an item that never ends";
            if (!zipcore::IsContainedEntryName(entry.name)) continue;
            if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const std::wstring path = target + entry.name;
            if (zipcore::ExtractToFileAtomically(*zip, i, path, zipcore::FileStamp{}) == zipcore::WriteResult::Ok)
                ++extracted;
        }
    }
    std::printf("%zu mutants, %zu opened, %zu entries extracted\n", mutants.size(), opened, extracted);
    // The valid archives and many mild mutants must still work.
    EXPECT_GT(opened, mutants.size() / 4);
    EXPECT_GT(extracted, 100u);

    // Nothing marked outside the target: not beside it, not in the folders
    // above it, not at the drive's root.
    std::vector<fs::path> stray;
    for (fs::path p : MarkedFiles(fs::path(dir.Path()), false)) stray.push_back(p);
    for (fs::path folder = fs::path(dir.Path()).parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
        for (fs::path p : MarkedFiles(folder, false)) stray.push_back(p);
    }
    for (fs::path p : MarkedFiles(fs::path(dir.Path()).root_path(), false)) stray.push_back(p);
    for (const fs::path& p : stray) ADD_FAILURE() << "written outside the target: " << p.string();
    EXPECT_FALSE(MarkedFiles(fs::path(target), true).empty());

    // Read-only extractions must not stop the scratch folder from going away.
    std::error_code ec;
    for (fs::recursive_directory_iterator it(fs::path(target), ec), end; !ec && it != end; it.increment(ec))
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
}
