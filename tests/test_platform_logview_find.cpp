// Finding bytes in the receive text in steps: matches across step boundaries and at the very
// end, case folding, hex alternatives, GBK character boundaries, wrapping, and a text that
// grows between steps.
#include <gtest/gtest.h>

#include <string>

#include "platform/logview/logview_find.h"

namespace {

struct Outcome {
    int64_t begin, end;
    bool wrapped;
};

// Runs a search to its end in steps of `step` start offsets; begin -1 when nothing matched.
Outcome RunSearch(const std::string& text, LogPattern pattern, int64_t start, bool forward,
                  int64_t step) {
    LogSearch s(std::move(pattern), start, forward);
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (int i = 0; i < 100000; ++i) {
        LogSearch::Result r = s.Step(p, (int64_t)text.size(), step);
        if (r == LogSearch::kFound) return {s.MatchBegin(), s.MatchEnd(), s.Wrapped()};
        if (r == LogSearch::kNotFound) return {-1, -1, false};
    }
    ADD_FAILURE() << "the search never ended";
    return {-2, -2, false};
}

LogPattern Text(const std::string& bytes, bool fold, bool gbk = false) {
    return LogPattern({{bytes, fold}}, gbk);
}

TEST(LogFind, FindsWhatTheDisplayHoldsAcrossSteps) {
    // 41 54 0D as received in text display and as shown in hex display.
    auto hex = [] { return LogPattern({{"AT\r", false}, {"41 54 0D", false}}, false); };
    std::string gbkText =
        "\xB0"
        "A"
        "xA";  // 0xB0 0x41 is one character: its 'A' is no match
    struct Case {
        const char* name;
        std::string text;
        LogPattern pattern;
        int64_t start;
        bool forward;
        int64_t step;
        Outcome want;
    } cases[] = {
        {"straddles a step boundary", "xxxxABCDxx", Text("ABCD", false), 0, true, 5, {4, 8, false}},
        {"at the very end", "xxxxxxxABC", Text("ABC", false), 0, true, 3, {7, 10, false}},
        {"case folded", "xx hello", Text("HeLLo", true), 0, true, 2, {3, 8, false}},
        {"folded, across a fold chunk",
         std::string(16382, 'x') + "heLLo",
         Text("HELLO", true),
         0,
         true,
         1 << 20,
         {16382, 16387, false}},
        {"case kept", "xx hello", Text("HeLLo", false), 0, true, 2, {-1, -1, false}},
        {"after the start", "AB AB AB", Text("AB", false), 1, true, 2, {3, 5, false}},
        {"wraps to the beginning", "AB xx xx", Text("AB", false), 3, true, 2, {0, 2, true}},
        {"backward: before the start", "AB AB AB", Text("AB", false), 6, false, 2, {3, 5, false}},
        {"backward wraps to the end", "AB AB xx", Text("AB", false), 0, false, 2, {3, 5, true}},
        {"backward straddling", "xxxxxxABCDxx", Text("ABCD", false), 12, false, 3, {6, 10, false}},
        {"hex in hex display", "33 41 54 0D 0A ", hex(), 0, true, 4, {3, 11, false}},
        {"hex in text display", "zAT\r\n", hex(), 0, true, 1, {1, 4, false}},
        {"hex: the first of either", "41 54 0D AT\r", hex(), 0, true, 100, {0, 8, false}},
        {"GBK: not on a second byte", gbkText, Text("A", false, true), 0, true, 1, {3, 4, false}},
        {"UTF-8 bytes as they are",
         "a\xE4\xB8\xAD",
         Text("\xE4\xB8\xAD", true),
         0,
         true,
         1,
         {1, 4, false}},
        {"nothing to find", "abc", Text("", true), 0, true, 1, {-1, -1, false}},
        {"as shown: escapes within are skipped",
         "x\x1b[31mER\x1b[0mROR",
         LogPattern({{"error", true}}, false, true),
         0,
         true,
         3,
         {6, 15, false}},
        {"as shown: never inside a sequence",
         "\x1b[31m31m",
         LogPattern({{"31m", false}}, false, true),
         0,
         true,
         2,
         {5, 8, false}},
        {"as shown, backward",
         "ab\x1b[1mc ab\x1b[Kc",
         LogPattern({{"abc", false}}, false, true),
         16,
         false,
         4,
         {8, 14, false}},
    };
    for (Case& c : cases) {
        Outcome got = RunSearch(c.text, c.pattern, c.start, c.forward, c.step);
        EXPECT_EQ(got.begin, c.want.begin) << c.name;
        EXPECT_EQ(got.end, c.want.end) << c.name;
        EXPECT_EQ(got.wrapped, c.want.wrapped) << c.name;
    }
}

// A match whose last bytes arrive after a step reached the end is still found, and a forward
// search follows a text that keeps growing before it wraps around.
TEST(LogFind, FollowsATextThatGrowsBetweenSteps) {
    std::string text = "xxxxAB";
    LogSearch s(Text("ABC", false), 2, true);
    auto step = [&] {
        return s.Step(reinterpret_cast<const unsigned char*>(text.data()), (int64_t)text.size(),
                      1 << 20);
    };
    EXPECT_EQ(step(), LogSearch::kMore);
    text += "C";
    ASSERT_EQ(step(), LogSearch::kFound);
    EXPECT_EQ(s.MatchBegin(), 4);
    EXPECT_FALSE(s.Wrapped());

    // Nothing new: the second step at the same end wraps, and the part before the start is
    // looked at.
    std::string quiet = "ABCxx";
    LogSearch w(Text("ABC", false), 3, true);
    const auto* p = reinterpret_cast<const unsigned char*>(quiet.data());
    LogSearch::Result r;
    while ((r = w.Step(p, (int64_t)quiet.size(), 1)) == LogSearch::kMore) {
    }
    ASSERT_EQ(r, LogSearch::kFound);
    EXPECT_EQ(w.MatchBegin(), 0);
    EXPECT_TRUE(w.Wrapped());
}

}  // namespace
