#include "interchange/xml_writer.h"

#include <charconv>
#include <cmath>

#include <libxml/parser.h>
#include <libxml/xmlwriter.h>

#include "interchange/byte_queue.h"
#include "interchange/output_file.h"

namespace Interchange {

namespace {

const xmlChar* x(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

bool allowed(char32_t c) {
    if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

// Decodes one character of UTF-8 at text[i]; length 0 for an invalid sequence.
char32_t decode(std::string_view text, std::size_t i, std::size_t& length) {
    const auto b = static_cast<unsigned char>(text[i]);
    length = 0;
    if (b < 0x80) {
        length = 1;
        return b;
    }
    std::size_t n;
    char32_t c;
    char32_t minimum;
    if ((b & 0xE0) == 0xC0) { n = 2; c = b & 0x1F; minimum = 0x80; }
    else if ((b & 0xF0) == 0xE0) { n = 3; c = b & 0x0F; minimum = 0x800; }
    else if ((b & 0xF8) == 0xF0) { n = 4; c = b & 0x07; minimum = 0x10000; }
    else return 0;
    if (i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum) return 0;
    length = n;
    return c;
}

}  // namespace

bool needsXmlSafe(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x20 && b < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        const char32_t c = decode(text, i, length);
        if (length == 0 || !allowed(c)) return true;
        i += length;
    }
    return false;
}

std::string xmlSafe(std::string_view text) {
    if (!needsXmlSafe(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length;
        const char32_t c = decode(text, i, length);
        if (length == 0 || !allowed(c)) {
            out += "\xEF\xBF\xBD";
            i += length == 0 ? 1 : length;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string numberText(double value) {
    if (!std::isfinite(value)) value = 0;
    if (value == 0) value = 0;  // no "-0"
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

namespace {

int sinkWrite(void* context, const char* data, int size) {
    return static_cast<ByteSink*>(context)->write(data, static_cast<std::size_t>(size)) ? size : -1;
}

}  // namespace

XmlWriter::XmlWriter(ByteSink& sink) {
    xmlOutputBufferPtr out = xmlOutputBufferCreateIO(sinkWrite, nullptr, &sink, nullptr);
    if (out) writer_ = xmlNewTextWriter(out);
    // GCOVR_EXCL_START: libxml2 makes no writer only when it cannot allocate one.
    if (!writer_) {
        if (out) xmlOutputBufferClose(out);
        throw ExportError("cannot start the XML writer");
    }
    // GCOVR_EXCL_STOP
    xmlTextWriterSetIndent(writer_, 0);
    xmlTextWriterSetIndentString(writer_, x("  "));
    check(xmlTextWriterStartDocument(writer_, "1.0", "UTF-8", "yes"));
}

XmlWriter::XmlWriter() {
    buffer_ = xmlBufferCreate();
    if (buffer_) writer_ = xmlNewTextWriterMemory(buffer_, 0);
    // GCOVR_EXCL_START: libxml2 makes no writer only when it cannot allocate one.
    if (!writer_) {
        if (buffer_) xmlBufferFree(buffer_);
        throw ExportError("cannot start the XML writer");
    }
    // GCOVR_EXCL_STOP
    xmlTextWriterSetIndent(writer_, 1);
    xmlTextWriterSetIndentString(writer_, x("  "));
    check(xmlTextWriterStartDocument(writer_, "1.0", "UTF-8", "yes"));
}

void XmlWriter::prepare() { xmlInitParser(); }

XmlWriter::~XmlWriter() {
    xmlFreeTextWriter(writer_);
    if (buffer_) xmlBufferFree(buffer_);
}

void XmlWriter::check(int result) {
    if (result < 0) throw ExportError("the XML writer failed");
}

void XmlWriter::start(const char* element) { check(xmlTextWriterStartElement(writer_, x(element))); }

void XmlWriter::end() { check(xmlTextWriterEndElement(writer_)); }

void XmlWriter::attribute(const char* name, std::string_view value) {
    const std::string safe = xmlSafe(value);
    check(xmlTextWriterWriteAttribute(writer_, x(name), x(safe.c_str())));
}

// A number's text has nothing to escape: it goes out as it is, which spares the writer's
// escaping (and its allocation) on the millions of attributes of a large project.
void XmlWriter::number(const char* name, const char* text, int length) {
    check(xmlTextWriterStartAttribute(writer_, x(name)));
    check(xmlTextWriterWriteRawLen(writer_, x(text), length));
    check(xmlTextWriterEndAttribute(writer_));
}

void XmlWriter::attribute(const char* name, double value) {
    if (!std::isfinite(value) || value == 0) value = 0;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    number(name, buffer, static_cast<int>(result.ptr - buffer));
}

void XmlWriter::attribute(const char* name, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    number(name, buffer, static_cast<int>(result.ptr - buffer));
}

void XmlWriter::attribute(const char* name, bool value) {
    check(xmlTextWriterWriteAttribute(writer_, x(name), x(value ? "true" : "false")));
}

void XmlWriter::text(std::string_view value) {
    const std::string safe = xmlSafe(value);
    check(xmlTextWriterWriteString(writer_, x(safe.c_str())));
}

void XmlWriter::raw(std::string_view value) {
    check(xmlTextWriterWriteRawLen(writer_, x(value.data()), static_cast<int>(value.size())));
}

void XmlWriter::finish() {
    check(xmlTextWriterEndDocument(writer_));
    check(xmlTextWriterFlush(writer_));
}

std::string XmlWriter::text() const {
    if (!buffer_) return {};
    return std::string(reinterpret_cast<const char*>(xmlBufferContent(buffer_)),
                       static_cast<std::size_t>(xmlBufferLength(buffer_)));
}

}  // namespace Interchange
