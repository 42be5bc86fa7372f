#include "refhost/report_writer.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace RefHost {

namespace {

// What the text writer hands to its stream at a time.
constexpr std::size_t kSpillSize = 256 * 1024;

// Writes value into buffer (at least 64 chars) as nlohmann's serializer does; returns the
// end of what it wrote.
char* writeNumber(char* buffer, double value) {
    if (!std::isfinite(value)) {
        for (const char c : {'n', 'u', 'l', 'l'}) *buffer++ = c;
        return buffer;
    }
    return nlohmann::detail::to_chars(buffer, buffer + 64, value);
}

}  // namespace

std::string numberText(double value) {
    char buffer[64];
    return std::string(buffer, writeNumber(buffer, value));
}

// --- ReportWriter --------------------------------------------------------------------

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

ReportText::ReportText(std::ostream& out) : out_(out) { buffer_.reserve(kSpillSize + 4096); }

void ReportText::newLine(std::size_t depth) {
    buffer_ += '\n';
    buffer_.append(2 * depth, ' ');
}

void ReportText::beforeValue() {
    if (levels_.empty() || !levels_.back().array) return;  // the outermost value, or a key's
    buffer_ += levels_.back().empty ? "" : ",";
    levels_.back().empty = false;
    newLine(levels_.size());
}

void ReportText::open(char bracket) {
    beforeValue();
    buffer_ += bracket;
    levels_.push_back({bracket == '[', true});
}

void ReportText::beginObject() { open('{'); }

void ReportText::beginArray() { open('['); }

void ReportText::end() {
    if (levels_.empty()) throw std::logic_error("report: end() without an open value");
    const Level closed = levels_.back();
    levels_.pop_back();
    if (!closed.empty) newLine(levels_.size());
    buffer_ += closed.array ? ']' : '}';
    if (buffer_.size() >= kSpillSize) spill();
}

void ReportText::key(std::string_view name) {
    if (levels_.empty() || levels_.back().array)
        throw std::logic_error("report: a key outside an object");
    if (!levels_.back().empty) buffer_ += ',';
    levels_.back().empty = false;
    newLine(levels_.size());
    quoted(name);
    buffer_ += ": ";
}

void ReportText::null() {
    beforeValue();
    buffer_ += "null";
}

void ReportText::boolean(bool value) {
    beforeValue();
    buffer_ += value ? "true" : "false";
}

void ReportText::integer(std::int64_t value) {
    beforeValue();
    char text[24];
    buffer_.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void ReportText::unsignedInteger(std::uint64_t value) {
    beforeValue();
    char text[24];
    buffer_.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void ReportText::number(double value) {
    beforeValue();
    char text[64];
    buffer_.append(text, writeNumber(text, value));
}

void ReportText::string(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
}

void ReportText::quoted(std::string_view utf8) {
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            // Beyond ASCII the serializer checks the UTF-8 and replaces what is invalid; it
            // writes such a text as the document would.
            buffer_ += Report(std::string(utf8)).dump(-1, ' ', false,
                                                      nlohmann::json::error_handler_t::replace);
            return;
        }
    }
    buffer_ += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"': buffer_ += "\\\""; break;
        case '\\': buffer_ += "\\\\"; break;
        case '\b': buffer_ += "\\b"; break;
        case '\t': buffer_ += "\\t"; break;
        case '\n': buffer_ += "\\n"; break;
        case '\f': buffer_ += "\\f"; break;
        case '\r': buffer_ += "\\r"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                buffer_ += "\\u00";
                buffer_ += kHex[(c >> 4) & 0xF];
                buffer_ += kHex[c & 0xF];
            } else {
                buffer_ += c;
            }
        }
    }
    buffer_ += '"';
}

void ReportText::spill() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
}

bool ReportText::finish() {
    if (levels_.empty()) buffer_ += '\n';
    spill();
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
