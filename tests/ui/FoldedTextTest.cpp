#include "ui/FoldedText.h"

#include <gtest/gtest.h>

// The texts lie end to end: a match that runs from one into the next belongs to neither, and
// an empty text between others holds nothing.
TEST(FoldedTexts, OnePassFindsEachTextThatHoldsTheNeedle)
{
    FoldedTexts texts;
    for (const char* text : {"/AB", "", "cd/ab/AB", "abc", "D"})
        texts.AddShownBytes(text);
    const std::vector<std::pair<std::string, std::vector<bool>>> cases{
        {"ab", {true, false, true, true, false}},
        {"bc", {false, false, false, true, false}},
        {"b/", {false, false, true, false, false}},
        {"cd", {false, false, true, false, false}},
        {"cd/ab/abc", {false, false, false, false, false}},
        {"d", {false, false, true, false, true}},
    };
    for (const auto& [needle, holding] : cases) {
        EXPECT_EQ(texts.Holding(needle), holding) << needle;
        for (size_t i = 0; i < holding.size(); ++i)
            EXPECT_EQ(texts.Holds(i, needle), holding[i]) << needle << " " << i;
    }
}
