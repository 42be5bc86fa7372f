// The region chunk's pieces that do not touch the stream: the old event value scale, the
// converted file's name and the check of file names from the project file.
#include <gtest/gtest.h>

#include <limits>

#include "base/text.h"
#include "reader/regions.h"

namespace Tessaro {
namespace {

TEST(RegionPieces, OldEventValuesAreRescaled) {
    const std::pair<std::uint16_t, std::uint16_t> cases[] = {
        {8192, 8192},  {4096, 0},       {0, 57345},     {16383, 24574},
        {12288, 16384}, {1, 57347},     {65535, 57342},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(rewriteOldEventValue(value), expected) << value;
}

TEST(RegionPieces, SampleRateText) {
    const std::pair<double, const char*> cases[] = {
        {44100.0, "44100.0"}, {48000.0, "48000.0"}, {22050.5, "22050.5"},
        {8000.125, "8000.125"}, {0.0, "0.0"},       {96000.000001, "96000.000001"},
        {11025.0000004, "11025.0"},
        // A rate a host could state but no copy is made at.
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
    };
    for (const auto& [rate, text] : cases) EXPECT_EQ(sampleRateText(rate), text) << rate;
}

TEST(RegionPieces, ConvertedFilePath) {
    struct Case {
        const char* path;
        double rate;
        std::int32_t bits;
        const char* expected;
    };
    const Case cases[] = {
        {"/p/drums.wav", 44100, 16, "/p/drums (44100.0Hz 16bit).wav"},
        {"C:\\Song\\Audio\\vocals.WAV", 48000, 24, "C:\\Song\\Audio\\vocals (48000.0Hz 24bit).wav"},
        // A name that does not end in ".wav" keeps all of its characters.
        {"/p/loop.aif", 44100, 16, "/p/loop.aif (44100.0Hz 16bit).wav"},
        {"/p/ab", 44100, 16, "/p/ab (44100.0Hz 16bit).wav"},
        {".wav", 32000, 8, " (32000.0Hz 8bit).wav"},
        // Shorter than the extension: nothing to compare.
        {"a", 44100, 16, "a (44100.0Hz 16bit).wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toUtf8(convertedFilePath(toUtf16(c.path), c.rate, c.bits)), c.expected);
}

TEST(RegionPieces, OnlyPlainFileNamesAreLookedUp) {
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"drums.wav", true},
        {u"My Song - take 2.wav", true},
        {u"..wav", true},
        {u"\u00e9t\u00e9.wav", true},
        {u"", false},
        {u".", false},
        {u"..", false},
        {u"...", false},
        {u"../drums.wav", false},
        {u"..\\drums.wav", false},
        {u"Audio/drums.wav", false},
        {u"Audio\\drums.wav", false},
        {u"/etc/passwd", false},
        {u"\\\\server\\share\\x.wav", false},
        {u"C:drums.wav", false},
        {u"drums.wav:stream", false},
        {u"drums\n.wav", false},
        {u"drums\x7F.wav", false},
        {std::u16string_view(u"a\0b.wav", 7), false},
    };
    for (const auto& [name, plain] : cases)
        EXPECT_EQ(isPlainFileName(name), plain) << toUtf8(name);
}

}  // namespace
}  // namespace Tessaro
