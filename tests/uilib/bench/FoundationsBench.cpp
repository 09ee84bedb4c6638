// Throughput of the XML reader against rapidxml on the same bytes, and of
// extracting every item of a skin archive into memory. Run by
// tools/bench/uilib-foundations.sh, which also makes the inputs.
//   FoundationsBench make-xml <file> <bytes> | make-zip <file> <bytes> | xml <file> | zip <file>
#include "core/markup/Markup.h"
#include "core/markup/SkinZip.h"

#include "ZipWriter.h"

#include <rapidxml/rapidxml.hpp>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace UiLib;

namespace {

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

template <typename F>
double BestSeconds(int runs, F&& work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

std::string SkinLikeXml(size_t size) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"800,600\" caption=\"0,0,0,32\">\n";
    for (int i = 0; xml.size() < size - 200; ++i) {
        xml += "  <HorizontalLayout name=\"row" + std::to_string(i) + "\" height=\"30\" bkcolor=\"#FFF0F0F0\">\n";
        xml += "    <Button name=\"btn" + std::to_string(i) + "\" text=\"Click &amp; go\" normalimage=\"file='btn.png' source='0,0,80,30'\" "
               "hotimage=\"file='btn.png' source='80,0,160,30'\" width=\"80\"/>\n";
        xml += "    <Label text=\"\xE6\xA0\x87\xE7\xAD\xBE " + std::to_string(i) + "\" textcolor=\"#FF333333\" align=\"center\"/>\n";
        xml += "  </HorizontalLayout>\n";
    }
    return xml + "</Window>\n";
}

std::string SkinLikeZip(size_t size) {
    std::mt19937 rng(5);
    std::vector<testsupport::ZipItem> items;
    size_t total = 0;
    for (int i = 0; total < size; ++i) {
        std::string data;
        if (i % 3 == 0) {
            data = SkinLikeXml(64 * 1024);
        } else {
            data.resize(192 * 1024);  // image-like: mostly incompressible
            for (char& c : data) c = static_cast<char>(rng() >> 13);
        }
        total += i % 3 == 0 ? data.size() / 8 : data.size();
        items.emplace_back("skin/item" + std::to_string(i) + (i % 3 == 0 ? ".xml" : ".png"), data);
    }
    return testsupport::BuildZip(items);
}

int BenchXml(const char* path) {
    std::string bytes = ReadAll(path);
    double mib = bytes.size() / 1048576.0;
    double ours = BestSeconds(7, [&] {
        CMarkup markup;
        if (!markup.LoadFromBytes(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())))
            std::printf("CMarkup failed\n");
    });
    double theirs = BestSeconds(7, [&] {
        std::vector<char> copy(bytes.begin(), bytes.end());
        copy.push_back('\0');
        rapidxml::xml_document<> doc;
        doc.parse<0>(copy.data());
    });
    std::printf("xml_mib=%.2f cmarkup_mib_s=%.1f rapidxml_mib_s=%.1f ratio=%.2f\n", mib, mib / ours, mib / theirs,
                theirs / ours);
    return 0;
}

int BenchZip(const char* path) {
    std::wstring wide(path, path + strlen(path));
    unsigned long long bytesOut = 0;
    double seconds = BestSeconds(3, [&] {
        bytesOut = 0;
        HZIP zip = OpenZipArchive(ZIP_FILENAME, wide.c_str(), 0);
        ZIPENTRY entry;
        GetZipEntry(zip, -1, &entry);
        std::vector<char> buffer;
        for (int i = 0, n = entry.index; i < n; ++i) {
            GetZipEntry(zip, i, &entry);
            buffer.resize(entry.unc_size ? entry.unc_size : 1);
            if (ExtractZipEntry(zip, i, buffer.data(), entry.unc_size, ZIP_MEMORY) != ZR_OK) std::printf("item %d failed\n", i);
            bytesOut += entry.unc_size;
        }
        CloseZipArchive(zip);
    });
    std::printf("zip_uncompressed_bytes=%llu zip_seconds=%.3f zip_mib_s=%.1f\n", bytesOut, seconds,
                bytesOut / 1048576.0 / seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    std::string mode = argv[1];
    if (mode == "make-xml" || mode == "make-zip") {
        size_t size = argc > 3 ? std::stoul(argv[3]) : 5u << 20;
        std::string out = mode == "make-xml" ? SkinLikeXml(size) : SkinLikeZip(size);
        std::ofstream(argv[2], std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
        return 0;
    }
    if (mode == "xml") return BenchXml(argv[2]);
    if (mode == "zip") return BenchZip(argv[2]);
    return 2;
}
