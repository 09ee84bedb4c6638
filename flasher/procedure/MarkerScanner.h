// Follows the scripts' output chunk by chunk and moves the flash forward when
// a marker appears. A marker may arrive split across two reads, so the end of
// each chunk is kept and searched again with the next one.
#pragma once

#include <string>
#include <string_view>

class MarkerScanner {
public:
    struct Result {
        bool moved = false;           // the step moved forward
        bool raise = false;           // ... and the page is to hear of it
        bool percentage = false;      // a push percentage was read
        std::string percentageText;   // the text it starts at
    };

    explicit MarkerScanner(int step = 1) : current_(step) {}

    Result Feed(std::string_view chunk);

    int Current() const { return current_; }
    int Previous() const { return previous_; }
    // Steps the procedure sets itself (not by marker).
    void Set(int step) {
        previous_ = current_;
        current_ = step;
    }

private:
    int current_;
    int previous_ = 0;
    std::string carry_;
};
