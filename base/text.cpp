#include "base/text.h"

#include <algorithm>

namespace Tessaro {

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6 || (c >> 4) == 0xE || (c >> 3) == 0x1E) {
            len = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
            char32_t v = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
            bool ok = i + len <= s.size();
            for (std::size_t k = 1; ok && k < len; ++k) {
                const auto cc = static_cast<unsigned char>(s[i + k]);
                if ((cc >> 6) != 0x2) ok = false;
                v = (v << 6) | (cc & 0x3F);
            }
            static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
            if (ok && v >= kMin[len] && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
                cp = v;
            } else {
                len = 1;
            }
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}

std::string toUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string fromBuffer(const char16_t* buffer, std::size_t size) {
    std::size_t n = 0;
    while (n < size && buffer[n] != 0) ++n;
    return std::u16string(buffer, n);
}

std::string fromBuffer(const char* buffer, std::size_t size) {
    std::size_t n = 0;
    while (n < size && buffer[n] != 0) ++n;
    return std::string(buffer, n);
}

template <class C>
static void copyTo(std::basic_string_view<C> text, C* buffer, Host::int32 size) {
    if (!buffer || size <= 0) return;
    const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(size) - 1);
    text.copy(buffer, n);
    buffer[n] = 0;
}

void copyToBuffer(std::u16string_view text, char16_t* buffer, Host::int32 size) {
    copyTo(text, buffer, size);
}
void copyToBuffer(std::string_view text, char* buffer, Host::int32 size) {
    copyTo(text, buffer, size);
}

std::string failureLine(std::string_view text, std::string_view chunkId, std::int32_t chunkIndex,
                        std::int64_t byteOffset) {
    std::string line;
    if (!chunkId.empty()) {
        line.append(chunkId).append(" chunk #").append(std::to_string(chunkIndex)).append(" ");
    }
    if (!chunkId.empty() || byteOffset >= 0)
        line.append("at byte ").append(std::to_string(byteOffset)).append(": ");
    return line.append(text);
}

}  // namespace Tessaro
