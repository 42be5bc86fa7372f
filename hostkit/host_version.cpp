#include "hostkit/host_version.h"

#include <limits>

namespace Tessaro {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads the decimal number at pos (saturating); false when no digit is there.
bool readNumber(std::u16string_view text, std::size_t& pos, std::int32_t& out) {
    if (pos >= text.size() || !isDigit(text[pos])) return false;
    std::int64_t v = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        v = v * 10 + (text[pos] - u'0');
        if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
        ++pos;
    }
    out = static_cast<std::int32_t>(v);
    return true;
}

}  // namespace

HostVersion parseHostVersion(std::u16string_view text) {
    HostVersion v;
    if (text.size() <= 8) return v;
    text.remove_prefix(8);
    std::size_t pos = 0;
    // The major number may follow anything that does not begin a number.
    while (pos < text.size() && !isDigit(text[pos])) ++pos;
    if (!readNumber(text, pos, v.major)) return v;
    if (pos >= text.size() || text[pos] != u'.') return v;
    ++pos;
    if (!readNumber(text, pos, v.minor)) return v;
    if (pos >= text.size() || text[pos] != u'.') return v;
    ++pos;
    readNumber(text, pos, v.patch);
    return v;
}

}  // namespace Tessaro
