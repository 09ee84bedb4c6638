#include "MarkerScanner.h"

#include <algorithm>
#include <cstring>

#include "FlashSteps.h"

namespace {

// Enough of the previous chunk to complete any marker that starts in it.
size_t LongestMarker() {
    size_t longest = 0;
    for (int row = 0; row < flashsteps::kRowCount; ++row) longest = std::max(longest, std::strlen(flashsteps::Marker(row)));
    return longest;
}

constexpr size_t kPercentageLookBack = 7;

}  // namespace

MarkerScanner::Result MarkerScanner::Feed(std::string_view chunk) {
    Result result;
    std::string text = carry_;
    text.append(chunk.data(), chunk.size());
    const size_t keep = LongestMarker() - 1;
    carry_ = text.size() > keep ? text.substr(text.size() - keep) : text;

    // The highest row whose marker appears wins.
    for (int row = flashsteps::kRowCount - 1; row >= 0; --row) {
        if (text.find(flashsteps::Marker(row)) == std::string::npos) continue;
        if (row > current_) {
            previous_ = current_;
            current_ = row;
            result.moved = true;
            result.raise = row != flashsteps::kPushing;
        }
        break;
    }
    if (current_ == flashsteps::kPushing) {
        const size_t percent = chunk.rfind('%');
        if (percent != std::string_view::npos) {
            const size_t start = percent > kPercentageLookBack ? percent - kPercentageLookBack : 0;
            result.percentage = true;
            result.percentageText.assign(chunk.substr(start));
        }
    }
    return result;
}
