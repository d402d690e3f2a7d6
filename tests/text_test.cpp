#include <gtest/gtest.h>
#include "core/text.h"
TEST(Text, Placeholder) { EXPECT_EQ(kestro::FindExact(u"abc", u"c"), 3u); }
