#include "view/html.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace View {

namespace fs = std::filesystem;

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
}

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendEscaped(out, text);
    return out;
}

void appendNumber(std::string& out, double value, int decimals) {
    if (!std::isfinite(value)) value = 0;
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) {
        out += '0';
        return;
    }
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    if (text.find('.') != std::string_view::npos) {
        while (text.back() == '0') text.remove_suffix(1);
        if (text.back() == '.') text.remove_suffix(1);
    }
    if (text == "-0") text = "0";
    out += text;
}

std::string number(double value, int decimals) {
    std::string out;
    appendNumber(out, value, decimals);
    return out;
}

std::string href(const fs::path& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path.generic_string()) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

fs::path relativeTo(const fs::path& target, const fs::path& folder) {
    std::error_code ec;
    const fs::path from = fs::weakly_canonical(fs::absolute(folder.empty() ? fs::path(".") : folder, ec), ec);
    const fs::path to = fs::weakly_canonical(fs::absolute(target, ec), ec);
    const fs::path relative = to.lexically_relative(from);
    return relative.empty() ? to : relative;
}

std::string base64(const std::vector<std::uint8_t>& bytes) {
    static const char table[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2];
        out += table[v >> 18];
        out += table[(v >> 12) & 63];
        out += table[(v >> 6) & 63];
        out += table[v & 63];
    }
    if (const std::size_t left = bytes.size() - i; left > 0) {
        const std::uint32_t v = bytes[i] << 16 | (left > 1 ? bytes[i + 1] << 8 : 0);
        out += table[v >> 18];
        out += table[(v >> 12) & 63];
        out += left > 1 ? table[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string decibels(double gain) {
    if (!(gain > 0) || !std::isfinite(gain)) return "-inf dB";
    const double db = 20 * std::log10(gain);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%+.1f dB", std::fabs(db) < 0.05 ? 0.0 : db);
    std::string text = buffer;
    return text == "+0.0 dB" ? "0.0 dB" : text;
}

std::string panText(double pan) {
    if (!std::isfinite(pan)) return "C";
    const long steps = std::lround((pan - 0.5) * 200);
    if (steps == 0) return "C";
    return (steps < 0 ? "L" : "R") + std::to_string(std::labs(steps));
}

std::string clockText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    const auto millis = static_cast<long long>(std::llround(seconds * 1000));
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%lld:%02lld.%03lld", millis / 60000, millis / 1000 % 60,
                  millis % 1000);
    return buffer;
}

std::string fillTemplate(std::string_view page,
                         const std::vector<std::pair<std::string_view, std::string_view>>& values) {
    std::string out;
    std::size_t size = page.size();
    for (const auto& [name, value] : values) size += value.size();
    out.reserve(size);
    std::size_t at = 0;
    while (at < page.size()) {
        const std::size_t open = page.find('@', at);
        if (open == std::string_view::npos) break;
        const std::size_t close = page.find('@', open + 1);
        if (close == std::string_view::npos) break;
        const std::string_view name = page.substr(open + 1, close - open - 1);
        const std::pair<std::string_view, std::string_view>* found = nullptr;
        for (const auto& pair : values)
            if (pair.first == name) found = &pair;
        if (!found) {
            // Not a placeholder: keep the first @ and go on from the second.
            out += page.substr(at, close - at);
            at = close;
            continue;
        }
        out += page.substr(at, open - at);
        out += found->second;
        at = close + 1;
    }
    out += page.substr(at);
    return out;
}

}  // namespace View
