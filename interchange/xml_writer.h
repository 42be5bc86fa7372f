// A thin owner of libxml2's streaming writer (xmlTextWriter): elements and attributes go
// out as they are written, so a project of any size costs the writer's buffer only. Every
// text passes through xmlSafe first; the first failed write throws ExportError.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

typedef struct _xmlTextWriter xmlTextWriter;
typedef struct _xmlBuffer xmlBuffer;

namespace Interchange {

class ByteSink;

// text as XML can carry it: invalid UTF-8 and the characters XML 1.0 does not allow
// (control characters but tab, line feed and carriage return; U+FFFE, U+FFFF) become
// U+FFFD.
std::string xmlSafe(std::string_view text);
// True when xmlSafe would change text.
bool needsXmlSafe(std::string_view text);

// The shortest text that reads back as the same double ("0.375", "120"); 0 for a value
// that is not finite.
std::string numberText(double value);

class XmlWriter {
public:
    // Writes to sink or, without one, into memory (text()).
    explicit XmlWriter(ByteSink& sink);
    XmlWriter();
    ~XmlWriter();
    XmlWriter(const XmlWriter&) = delete;
    // Sets libxml2 up; called once on the main thread before writers run on others.
    static void prepare();
    XmlWriter& operator=(const XmlWriter&) = delete;

    void start(const char* element);
    void end();
    void attribute(const char* name, std::string_view value);
    void attribute(const char* name, const char* value) { attribute(name, std::string_view(value)); }
    void attribute(const char* name, double value);
    void attribute(const char* name, std::int64_t value);
    void attribute(const char* name, std::int32_t value) { attribute(name, std::int64_t{value}); }
    void attribute(const char* name, bool value);
    void text(std::string_view value);
    // Markup put together by the caller, written as it is.
    void raw(std::string_view markup);
    // Ends every open element and the document, and flushes.
    void finish();
    // What was written, for a writer into memory.
    std::string text() const;

private:
    void check(int result);
    void number(const char* name, const char* text, int length);

    xmlTextWriter* writer_ = nullptr;
    xmlBuffer* buffer_ = nullptr;
};

}  // namespace Interchange
