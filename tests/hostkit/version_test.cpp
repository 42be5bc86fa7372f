#include <gtest/gtest.h>

#include "hostkit/host_version.h"

using Tessaro::parseHostVersion;

TEST(HostVersion, DotSeparatedNumbersAfterEightCharacters) {
    struct Case {
        const char16_t* text;
        int major, minor, patch;
    };
    const Case cases[] = {
        {u"Version 7.0.1", 7, 0, 1},
        {u"Version 6.5.5", 6, 5, 5},
        {u"Version 10.12.3", 10, 12, 3},  // two-digit major and minor keep the right patch
        {u"Version 12.0.40", 12, 0, 40},
        {u"Version 8", 8, 0, 0},
        {u"Version 8.1", 8, 1, 0},
        {u"Release v9.2.7", 9, 2, 7},  // anything before the major is passed over
        {u"Version", 0, 0, 0},         // shorter than the eight leading characters
        {u"", 0, 0, 0},
        {u"Version x.y.z", 0, 0, 0},
        {u"Version 99999999999.1.2", 2147483647, 1, 2},
    };
    for (const auto& c : cases) {
        const auto v = parseHostVersion(c.text);
        EXPECT_EQ(v.major, c.major);
        EXPECT_EQ(v.minor, c.minor);
        EXPECT_EQ(v.patch, c.patch);
    }
}
