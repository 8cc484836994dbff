#include "store/buffer_string.h"

#include <gtest/gtest.h>

using qa::BufferString;

TEST(BufferString, EmptyTextAndNoDataAreDifferentStates) {
    BufferString none;
    EXPECT_EQ(none.Length(), 0u);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.Data(), nullptr);
    EXPECT_STREQ(none.CStr(), "");
    EXPECT_FALSE(none == "") << "an empty buffer equals nothing, not even the empty text";

    BufferString empty = "";
    EXPECT_EQ(empty.Length(), 1u) << "the terminator counts";
    EXPECT_TRUE(empty == "");

    empty = static_cast<const char*>(nullptr);
    EXPECT_EQ(empty.Length(), 0u);
}

TEST(BufferString, AppendNeedsExistingContentAndComparisonIsExact) {
    BufferString text;
    text.Append("lost");
    EXPECT_TRUE(text.IsEmpty());

    text = "SELECT";
    text.Append(" *");
    EXPECT_TRUE(text == "SELECT *");
    EXPECT_EQ(text.Length(), 9u);
    EXPECT_FALSE(text == "select *");
    EXPECT_FALSE(text == "SELECT");

    text = text.View().substr(0, 3); // assigning from its own contents
    EXPECT_TRUE(text == "SEL");
}
