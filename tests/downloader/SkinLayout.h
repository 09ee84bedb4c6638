// Where the downloader's skin puts the first row's install button (client
// coordinates of its centre). The window test checks it against the real
// layout; the program test clicks there.
#pragma once

namespace downloadertest {
constexpr int kFirstRowInstallX = 512;
constexpr int kFirstRowInstallY = 120;
}  // namespace downloadertest
