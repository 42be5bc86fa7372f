// Where the JSON report goes, one value at a time. The report's walk of the host
// (refhost/report.h) and the sections that outputs add after the import write to a
// ReportWriter; what it becomes is the writer's business:
//
//   - ReportText writes the text as it comes (two-space indentation, the layout of
//     nlohmann's dump(2)), through a buffer of its own, so a report of any size costs a
//     buffer and never the whole document;
//   - ReportDocument builds the document (an nlohmann::ordered_json), for code that looks
//     values up, such as the tests.
//
// Both give the same report: the text of a ReportDocument's document (reportText) is the
// text ReportText writes, byte for byte.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

namespace RefHost {

using Report = nlohmann::ordered_json;

class ReportWriter {
public:
    virtual ~ReportWriter() = default;

    // Opens an object or an array as the next value; end() closes the one opened last.
    virtual void beginObject() = 0;
    virtual void beginArray() = 0;
    virtual void end() = 0;
    // The key of the next value of the open object. Keys of one object are distinct.
    virtual void key(std::string_view name) = 0;

    virtual void null() = 0;
    virtual void boolean(bool value) = 0;
    virtual void integer(std::int64_t value) = 0;
    virtual void unsignedInteger(std::uint64_t value) = 0;
    virtual void number(double value) = 0;  // not finite: null, as the document shows it
    virtual void string(std::string_view utf8) = 0;
    // A text of the host's (names are UTF-16), written as UTF-8.
    virtual void string(std::u16string_view utf16);
    // A value built whole (a small section), written as the next value.
    virtual void document(Report value);

    // The next value, by its type: an optional without a value is null, a vector an array.
    template <class T>
    void value(const T& v);
    void value(std::nullptr_t) { null(); }
    void value(const char* text) { string(std::string_view(text)); }

    template <class T>
    void member(std::string_view name, const T& v);
    // The value when present, else null.
    template <class T>
    void valueIf(bool present, const T& v) {
        if (present)
            value(v);
        else
            null();
    }
    template <class T>
    void memberIf(std::string_view name, bool present, const T& v) {
        key(name);
        valueIf(present, v);
    }
    // Opens an object or an array as the value of name.
    void objectMember(std::string_view name) {
        key(name);
        beginObject();
    }
    void arrayMember(std::string_view name) {
        key(name);
        beginArray();
    }

protected:
    // A key and a plain value in one step, which a writer may take faster than the two;
    // member() calls them.
    virtual void memberInteger(std::string_view name, std::int64_t value) {
        key(name);
        integer(value);
    }
    virtual void memberUnsigned(std::string_view name, std::uint64_t value) {
        key(name);
        unsignedInteger(value);
    }
    virtual void memberNumber(std::string_view name, double value) {
        key(name);
        number(value);
    }
    virtual void memberString(std::string_view name, std::string_view utf8) {
        key(name);
        string(utf8);
    }
    virtual void memberString(std::string_view name, std::u16string_view utf16) {
        key(name);
        string(utf16);
    }
};

template <class T>
void ReportWriter::member(std::string_view name, const T& v) {
    if constexpr (std::is_same_v<T, bool>) {
        key(name);
        boolean(v);
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        memberInteger(name, v);
    } else if constexpr (std::is_integral_v<T>) {
        memberUnsigned(name, v);
    } else if constexpr (std::is_floating_point_v<T>) {
        memberNumber(name, static_cast<double>(v));
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        memberString(name, std::string_view(v));
    } else if constexpr (std::is_convertible_v<const T&, std::u16string_view>) {
        memberString(name, std::u16string_view(v));
    } else {
        key(name);
        value(v);
    }
}

template <class T>
void ReportWriter::value(const T& v) {
    if constexpr (std::is_same_v<T, bool>) {
        boolean(v);
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        integer(v);
    } else if constexpr (std::is_integral_v<T>) {
        unsignedInteger(v);
    } else if constexpr (std::is_floating_point_v<T>) {
        number(static_cast<double>(v));
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
        string(std::string_view(v));
    } else if constexpr (std::is_convertible_v<const T&, std::u16string_view>) {
        string(std::u16string_view(v));
    } else if constexpr (requires { v.has_value(); *v; }) {
        if (v)
            value(*v);
        else
            null();
    } else {
        static_assert(!std::is_same_v<T, Report>, "a document is written with document()");
        beginArray();
        for (const auto& element : v) value(element);
        end();
    }
}

// The report as text, written to a stream as it comes. Once the text outgrows its buffer, a
// thread of its own hands each full buffer to the stream while the next one fills, so that
// the copy into the file (or the pipe) overlaps the walk.
class ReportText final : public ReportWriter {
public:
    explicit ReportText(std::ostream& out);
    ~ReportText() override;
    ReportText(const ReportText&) = delete;
    ReportText& operator=(const ReportText&) = delete;

    void beginObject() override;
    void beginArray() override;
    void end() override;
    void key(std::string_view name) override;
    void null() override;
    void boolean(bool value) override;
    void integer(std::int64_t value) override;
    void unsignedInteger(std::uint64_t value) override;
    void number(double value) override;
    void string(std::string_view utf8) override;
    void string(std::u16string_view utf16) override;

    // Ends the text with a line feed once the outermost value is closed, and hands what is
    // buffered to the stream; false when the stream failed.
    bool finish();

protected:
    void memberInteger(std::string_view name, std::int64_t value) override;
    void memberUnsigned(std::string_view name, std::uint64_t value) override;
    void memberNumber(std::string_view name, double value) override;
    void memberString(std::string_view name, std::string_view utf8) override;
    void memberString(std::string_view name, std::u16string_view utf16) override;

private:
    // Where the next bytes (at most bytes of them) go; spills what is buffered first when
    // they do not fit.
    char* room(std::size_t bytes) {
        if (size_ + bytes > capacity_) makeRoom(bytes);
        return buffer_.get() + size_;
    }
    void makeRoom(std::size_t bytes);
    void put(std::string_view text);
    void beforeValue();
    // A key's line, up to its value.
    void keyLine(std::string_view name);
    void open(char bracket);
    void quoted(std::string_view utf8);
    void quoted16(std::u16string_view utf16);
    // One ASCII character of a text at at, escaped where JSON asks it; returns its end.
    static char* escaped(char* at, char c);
    // A comma when asked, a line feed and the indentation of depth.
    void newLine(std::size_t depth, bool comma);
    // Hands the buffer to the writing thread (started with the first), or, at the end of a
    // text that never outgrew it, to the stream.
    void spill(bool last = false);
    void writeInTurn();
    void stopWriting();

    std::ostream& out_;
    std::unique_ptr<char[]> buffer_;
    std::size_t capacity_;
    std::size_t size_ = 0;
    // The buffer the thread writes, and what it holds while it is being written.
    std::unique_ptr<char[]> writing_;
    std::size_t writingCapacity_ = 0;
    std::size_t writingSize_ = 0;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread writer_;
    std::mutex lock_;
    std::condition_variable turn_;
    // For each open container: whether it is an array, and whether it has a value yet.
    struct Level {
        bool array;
        bool empty;
    };
    std::vector<Level> levels_;
};

// The report as a document.
class ReportDocument final : public ReportWriter {
public:
    void beginObject() override;
    void beginArray() override;
    void end() override;
    void key(std::string_view name) override;
    void null() override;
    void boolean(bool value) override;
    void integer(std::int64_t value) override;
    void unsignedInteger(std::uint64_t value) override;
    void number(double value) override;
    void string(std::string_view utf8) override;
    using ReportWriter::string;
    void document(Report value) override;

    // The document written; the writer is empty after.
    Report take();

private:
    // Puts value at the writer's place and returns where it stands.
    Report& place(Report value);

    Report root_;
    std::vector<Report*> open_;
    std::string key_;
};

// A number as the report writes it: "120.0", "0.699999988079071", "1e+20"; "null" when
// it is not finite.
std::string numberText(double value);

}  // namespace RefHost
