// The module's text conversions: UTF-8 from its own texts and the file's names to the host's
// UTF-16 and back, every malformed sequence one replacement character; the host's text
// buffers read and filled.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "base/text.h"

using namespace Tessaro;

namespace {

// One conversion and what it must give, by name.
template <class From, class To>
struct Conversion {
    const char* name;
    From from;
    To to;
};

template <class From, class To, class Convert>
void expectEach(std::initializer_list<Conversion<From, To>> cases, Convert convert) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(convert(c.from), c.to);
    }
}

}  // namespace

TEST(Text, Utf8ToUtf16ReplacesEachMalformedByteAlone) {
    expectEach<std::string_view, std::u16string>(
        {
            {"ASCII", "Bus 1", u"Bus 1"},
            {"two bytes", "\xC3\xA9", u"\u00E9"},
            {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
            {"four bytes, a surrogate pair", "\xF0\x9F\x8E\xB9", u"\U0001F3B9"},
            {"a lone continuation byte", "a\x80z", u"a\uFFFDz"},
            {"a lead byte no sequence has", "\xF8z", u"\uFFFDz"},
            {"a sequence cut by the end", "z\xE2\x82", u"z\uFFFD\uFFFD"},
            {"a lead byte without its continuation", "\xC3z", u"\uFFFDz"},
            {"an overlong form", "\xC0\xAF", u"\uFFFD\uFFFD"},
            {"an encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
            {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        },
        [](std::string_view utf8) { return toUtf16(utf8); });
}

TEST(Text, Utf16ToUtf8ReplacesUnpairedSurrogates) {
    expectEach<std::u16string, std::string>(
        {
            {"one to four bytes", u"a\u00E9\u20AC\U0001F3B9",
             "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9"},
            {"a high surrogate at the end", u"a\xD83C", "a\xEF\xBF\xBD"},
            {"a high surrogate before no low one", u"\xD83Cz", "\xEF\xBF\xBDz"},
            {"two high surrogates", u"\xD83C\xD83C", "\xEF\xBF\xBD\xEF\xBF\xBD"},
            {"a lone low surrogate", u"\xDF39", "\xEF\xBF\xBD"},
        },
        [](const std::u16string& utf16) { return toUtf8(utf16); });
}

TEST(Text, HostBuffersAreReadToTheirZeroAndFilledCutAndTerminated) {
    const char16_t full[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(fromBuffer(full, 3), u"abc");  // no terminator: the size ends it
    EXPECT_EQ(fromBuffer("ab\0c", 4), "ab");

    char16_t wide[4] = {u'x', u'x', u'x', u'x'};
    copyToBuffer(u"Tessaro", wide, 4);
    EXPECT_EQ(std::u16string(wide), u"Tes");
    char narrow[2] = {'x', 'x'};
    copyToBuffer("", narrow, 2);
    EXPECT_EQ(narrow[0], '\0');
    // No room, or no buffer: nothing is written.
    narrow[0] = 'x';
    copyToBuffer("ab", narrow, 0);
    EXPECT_EQ(narrow[0], 'x');
    copyToBuffer("ab", static_cast<char*>(nullptr), 2);

    // A getter that fails leaves the text empty; one that fills the whole buffer is cut at it.
    EXPECT_EQ(readHostText([](char16_t*, Host::int32) { return 1; }), u"");
    EXPECT_EQ(readHostText8(
                  [](char* b, Host::int32 n) {
                      std::string(static_cast<std::size_t>(n), 'n').copy(b, static_cast<std::size_t>(n));
                      return 0;
                  },
                  4),
              "nnnn");
}
