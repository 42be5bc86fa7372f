#include "refhost/report_writer.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "base/text.h"

namespace RefHost {

namespace {

// The bytes a JSON text holds as they are: ASCII but the control characters, the quotation
// mark and the backslash.
constexpr std::array<unsigned char, 256> kPlain = [] {
    std::array<unsigned char, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c) plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

// What the text writer gathers before it hands it to its stream.
constexpr std::size_t kBufferSize = 256 * 1024;

// Writes value into buffer (at least 64 chars) as nlohmann's serializer does (its shortest
// digits come from nlohmann::detail::to_chars, which the serializer calls); returns the end
// of what it wrote.
char* writeNumber(char* buffer, double value) {
    if (!std::isfinite(value)) {
        for (const char c : {'n', 'u', 'l', 'l'}) *buffer++ = c;
        return buffer;
    }
    // A whole number below 10^15 (most of the host's values) is its digits and ".0", which
    // is what the shortest digits come to; -0.0 goes the long way.
    if (std::abs(value) < 1e15 && value == std::trunc(value) &&
        (value != 0 || !std::signbit(value))) {
        char* end = std::to_chars(buffer, buffer + 24, static_cast<std::int64_t>(value)).ptr;
        *end++ = '.';
        *end++ = '0';
        return end;
    }
    return nlohmann::detail::to_chars(buffer, buffer + 64, value);
}

}  // namespace

std::string numberText(double value) {
    char buffer[64];
    return std::string(buffer, writeNumber(buffer, value));
}

// --- ReportWriter --------------------------------------------------------------------

void ReportWriter::string(std::u16string_view utf16) { string(Tessaro::toUtf8(utf16)); }

void ReportWriter::document(Report value) {
    switch (value.type()) {
    case Report::value_t::object:
        beginObject();
        for (auto& [name, member] : value.items()) {
            key(name);
            document(std::move(member));
        }
        end();
        break;
    case Report::value_t::array:
        beginArray();
        for (auto& element : value) document(std::move(element));
        end();
        break;
    case Report::value_t::string:
        string(value.get_ref<const std::string&>());
        break;
    case Report::value_t::boolean:
        boolean(value.get<bool>());
        break;
    case Report::value_t::number_integer:
        integer(value.get<std::int64_t>());
        break;
    case Report::value_t::number_unsigned:
        unsignedInteger(value.get<std::uint64_t>());
        break;
    case Report::value_t::number_float:
        number(value.get<double>());
        break;
    default:  // null, and the binary values the report never holds
        null();
        break;
    }
}

// --- ReportText ----------------------------------------------------------------------

ReportText::ReportText(std::ostream& out)
    : out_(out), buffer_(new char[kBufferSize]), capacity_(kBufferSize) {}

ReportText::~ReportText() { stopWriting(); }

void ReportText::makeRoom(std::size_t bytes) {
    spill();
    if (bytes > capacity_) {
        buffer_.reset(new char[bytes]);
        capacity_ = bytes;
    }
}

void ReportText::put(std::string_view text) {
    std::memcpy(room(text.size()), text.data(), text.size());
    size_ += text.size();
}

void ReportText::newLine(std::size_t depth, bool comma) {
    // The indentation goes in 32 spaces at a time, up to 31 beyond its end, which the room
    // asked for holds and the next write covers.
    static constexpr std::size_t kRun = 32;
    char* at = room(2 + 2 * depth + kRun);
    *at = ',';
    at += comma;
    *at++ = '\n';
    static constexpr std::array<char, kRun> kSpaces = [] {
        std::array<char, kRun> spaces{};
        spaces.fill(' ');
        return spaces;
    }();
    for (std::size_t i = 0; i < 2 * depth; i += kRun) std::memcpy(at + i, kSpaces.data(), kRun);
    size_ = static_cast<std::size_t>(at + 2 * depth - buffer_.get());
}

void ReportText::beforeValue() {
    if (levels_.empty() || !levels_.back().array) return;  // the outermost value, or a key's
    newLine(levels_.size(), !levels_.back().empty);
    levels_.back().empty = false;
}

void ReportText::open(char bracket) {
    beforeValue();
    *room(1) = bracket;
    ++size_;
    levels_.push_back({bracket == '[', true});
}

void ReportText::beginObject() { open('{'); }

void ReportText::beginArray() { open('['); }

void ReportText::end() {
    if (levels_.empty()) throw std::logic_error("report: end() without an open value");
    const Level closed = levels_.back();
    levels_.pop_back();
    if (!closed.empty) newLine(levels_.size(), false);
    *room(1) = closed.array ? ']' : '}';
    ++size_;
}

void ReportText::keyLine(std::string_view name) {
    if (levels_.empty() || levels_.back().array)
        throw std::logic_error("report: a key outside an object");
    newLine(levels_.size(), !levels_.back().empty);
    levels_.back().empty = false;
    quoted(name);
    char* at = room(2);
    at[0] = ':';
    at[1] = ' ';
    size_ += 2;
}

void ReportText::key(std::string_view name) { keyLine(name); }

void ReportText::memberInteger(std::string_view name, std::int64_t value) {
    keyLine(name);
    char* at = room(24);
    size_ = static_cast<std::size_t>(std::to_chars(at, at + 24, value).ptr - buffer_.get());
}

void ReportText::memberUnsigned(std::string_view name, std::uint64_t value) {
    keyLine(name);
    char* at = room(24);
    size_ = static_cast<std::size_t>(std::to_chars(at, at + 24, value).ptr - buffer_.get());
}

void ReportText::memberNumber(std::string_view name, double value) {
    keyLine(name);
    size_ = static_cast<std::size_t>(writeNumber(room(64), value) - buffer_.get());
}

void ReportText::memberString(std::string_view name, std::string_view utf8) {
    keyLine(name);
    quoted(utf8);
}

void ReportText::memberString(std::string_view name, std::u16string_view utf16) {
    keyLine(name);
    quoted16(utf16);
}

void ReportText::null() {
    beforeValue();
    put("null");
}

void ReportText::boolean(bool value) {
    beforeValue();
    put(value ? "true" : "false");
}

void ReportText::integer(std::int64_t value) {
    beforeValue();
    char* at = room(24);
    size_ = static_cast<std::size_t>(std::to_chars(at, at + 24, value).ptr - buffer_.get());
}

void ReportText::unsignedInteger(std::uint64_t value) {
    beforeValue();
    char* at = room(24);
    size_ = static_cast<std::size_t>(std::to_chars(at, at + 24, value).ptr - buffer_.get());
}

void ReportText::number(double value) {
    beforeValue();
    size_ = static_cast<std::size_t>(writeNumber(room(64), value) - buffer_.get());
}

void ReportText::string(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
}

void ReportText::string(std::u16string_view utf16) {
    beforeValue();
    quoted16(utf16);
}

void ReportText::quoted16(std::u16string_view utf16) {
    // ASCII: each unit is its byte, at most six when escaped.
    char* at = room(2 + 6 * utf16.size());
    *at++ = '"';
    for (const char16_t unit : utf16) {
        if (unit >= 0x80) {
            quoted(Tessaro::toUtf8(utf16));
            return;
        }
        const char c = static_cast<char>(unit);
        if (c >= 0x20 && c != '"' && c != '\\')
            *at++ = c;
        else
            at = escaped(at, c);
    }
    *at++ = '"';
    size_ = static_cast<std::size_t>(at - buffer_.get());
}

void ReportText::quoted(std::string_view utf8) {
    char* at = room(2 + 6 * utf8.size());
    *at++ = '"';
    // Most texts (keys, the host's names) need no escape: they are copied as they are
    // checked, and written again only when one does.
    char* const start = at;
    unsigned char plain = 1;
    for (const char c : utf8) {
        plain &= kPlain[static_cast<unsigned char>(c)];
        *at++ = c;
    }
    if (plain) {
        *at++ = '"';
        size_ = static_cast<std::size_t>(at - buffer_.get());
        return;
    }
    at = start;
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            // Beyond ASCII the serializer checks the UTF-8 and replaces what is invalid; it
            // writes such a text as the document would.
            put(Report(std::string(utf8)).dump(-1, ' ', false,
                                               nlohmann::json::error_handler_t::replace));
            return;
        }
        if (c >= 0x20 && c != '"' && c != '\\')
            *at++ = c;
        else
            at = escaped(at, c);
    }
    *at++ = '"';
    size_ = static_cast<std::size_t>(at - buffer_.get());
}

char* ReportText::escaped(char* at, char c) {
    if (c >= 0x20 && c != '"' && c != '\\') {
        *at++ = c;
        return at;
    }
    *at++ = '\\';
    switch (c) {
    case '"': *at++ = '"'; break;
    case '\\': *at++ = '\\'; break;
    case '\b': *at++ = 'b'; break;
    case '\t': *at++ = 't'; break;
    case '\n': *at++ = 'n'; break;
    case '\f': *at++ = 'f'; break;
    case '\r': *at++ = 'r'; break;
    default: {
        static constexpr char kHex[] = "0123456789abcdef";
        for (const char h : {'u', '0', '0', kHex[(c >> 4) & 0xF], kHex[c & 0xF]}) *at++ = h;
    }
    }
    return at;
}

void ReportText::spill(bool last) {
    if (!writer_.joinable() && !last) {
        try {
            writer_ = std::thread([this] { writeInTurn(); });
        } catch (const std::system_error&) {
            // No thread to be had: the text goes to the stream from here.
        }
    }
    if (!writer_.joinable()) {
        out_.write(buffer_.get(), static_cast<std::streamsize>(size_));
        size_ = 0;
        return;
    }
    std::unique_lock hold(lock_);
    turn_.wait(hold, [this] { return !busy_; });
    if (!writing_) {
        writing_.reset(new char[kBufferSize]);
        writingCapacity_ = kBufferSize;
    }
    std::swap(buffer_, writing_);
    std::swap(capacity_, writingCapacity_);
    writingSize_ = size_;
    size_ = 0;
    busy_ = true;
    turn_.notify_all();
}

void ReportText::writeInTurn() {
    std::unique_lock hold(lock_);
    for (;;) {
        turn_.wait(hold, [this] { return busy_ || stopping_; });
        if (!busy_) return;
        hold.unlock();
        out_.write(writing_.get(), static_cast<std::streamsize>(writingSize_));
        hold.lock();
        busy_ = false;
        turn_.notify_all();
    }
}

void ReportText::stopWriting() {
    if (!writer_.joinable()) return;
    {
        std::unique_lock hold(lock_);
        turn_.wait(hold, [this] { return !busy_; });
        stopping_ = true;
        turn_.notify_all();
    }
    writer_.join();
}

bool ReportText::finish() {
    if (levels_.empty()) put("\n");
    spill(true);
    stopWriting();
    out_.flush();
    return static_cast<bool>(out_);
}

// --- ReportDocument ------------------------------------------------------------------

Report& ReportDocument::place(Report value) {
    if (open_.empty()) {
        root_ = std::move(value);
        return root_;
    }
    Report& container = *open_.back();
    if (container.is_array()) {
        container.push_back(std::move(value));
        return container.back();
    }
    Report& slot = container[key_];
    slot = std::move(value);
    return slot;
}

void ReportDocument::beginObject() { open_.push_back(&place(Report::object())); }

void ReportDocument::beginArray() { open_.push_back(&place(Report::array())); }

void ReportDocument::end() {
    if (open_.empty()) throw std::logic_error("report: end() without an open value");
    open_.pop_back();
}

void ReportDocument::key(std::string_view name) { key_.assign(name); }

void ReportDocument::null() { place(nullptr); }

void ReportDocument::boolean(bool value) { place(value); }

void ReportDocument::integer(std::int64_t value) { place(value); }

void ReportDocument::unsignedInteger(std::uint64_t value) { place(value); }

void ReportDocument::number(double value) { place(value); }

void ReportDocument::string(std::string_view utf8) { place(std::string(utf8)); }

void ReportDocument::document(Report value) { place(std::move(value)); }

Report ReportDocument::take() {
    open_.clear();
    return std::exchange(root_, Report());
}

}  // namespace RefHost
