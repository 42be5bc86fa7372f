// The module's text conversions: UTF-8 from its own texts and the file's names to the host's
// UTF-16 and back, every malformed sequence one replacement character; the host's text
// buffers read and filled.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "base/text.h"

using namespace Tessaro;

TEST(Text, Utf8ToUtf16ReplacesEachMalformedByteAlone) {
    struct Case {
        const char* name;
        std::string_view utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toUtf16(c.utf8), c.utf16);
    }
}

TEST(Text, Utf16ToUtf8ReplacesUnpairedSurrogates) {
    struct Case {
        const char* name;
        std::u16string utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {"one to four bytes", u"a\u00E9\u20AC\U0001F3B9", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9"},
        {"a high surrogate at the end", u"a\xD83C", "a\xEF\xBF\xBD"},
        {"a high surrogate before no low one", u"\xD83Cz", "\xEF\xBF\xBDz"},
        {"two high surrogates", u"\xD83C\xD83C", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"a lone low surrogate", u"\xDF39", "\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toUtf8(c.utf16), c.utf8);
    }
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
