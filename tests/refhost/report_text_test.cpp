// The report written as it is walked (ReportText) against the report built as a document
// (ReportDocument, then its text): the same bytes for the values JSON can write in more
// than one way, for whole imports, and for sections added after the walk.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <sstream>

#include "refhost/report.h"
#include "refhost/report_writer.h"
#include "tests/support/import_harness.h"
#include "tools/writer/demo_project.h"
#include "tools/writer/tone_file.h"

namespace {

using namespace TessaroTest;
using RefHost::Report;
using RefHost::ReportWriter;
using Write = std::function<void(ReportWriter&)>;

// The text ReportText writes of the calls.
std::string streamed(const Write& write) {
    std::ostringstream out;
    RefHost::ReportText text(out);
    write(text);
    EXPECT_TRUE(text.finish());
    return out.str();
}

// The text of the document the same calls build.
std::string built(const Write& write) {
    RefHost::ReportDocument document;
    write(document);
    return RefHost::reportText(document.take());
}

void inObject(ReportWriter& out, const Write& members) {
    out.beginObject();
    members(out);
    out.end();
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

TEST(ReportText, LaysOutValuesAsTheDocumentsTextDoes) {
    const Write write = [](ReportWriter& out) {
        inObject(out, [](ReportWriter& o) {
            o.arrayMember("a");
            o.value(1);
            o.beginObject();
            o.end();
            o.beginArray();
            o.end();
            o.end();
            o.member("b", -0.0);
            o.member("c", std::optional<int>());
        });
    };
    EXPECT_EQ(streamed(write),
              "{\n  \"a\": [\n    1,\n    {},\n    []\n  ],\n  \"b\": -0.0,\n  \"c\": null\n}\n");
    EXPECT_EQ(built(write), streamed(write));
}

TEST(ReportText, WritesEveryKindOfValueAsTheDocumentsTextHasIt) {
    const struct {
        const char* what;
        Write write;
    } cases[] = {
        {"texts that need escapes",
         [](ReportWriter& out) {
             inObject(out, [](ReportWriter& o) {
                 o.member("quote", "a \"b\" \\c/ d");
                 o.member("controls", std::string("\b\f\n\r\t\x01\x1f\x7f end"));
                 o.member("nul", std::string("a\0b", 3));
                 o.member("utf8", "\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xB9");
                 o.member("invalid", "a\xFF\xFE z");
                 o.member("cut", "a\xE3\x81");
                 o.member("key \"with\" \\ and\n", "value");
                 o.member("cl\xC3\xA9", "\xC3\xA9");
                 o.member("bad key \xFF", 1);
                 o.member("", "");
             });
         }},
        {"the host's UTF-16 names",
         [](ReportWriter& out) {
             out.beginArray();
             const std::vector<std::u16string> texts = {
                 u"Piano", u"", u"Klavier \u00E9", u"\u65E5\u672C", u"a\"b\\c\x01\n",
                 std::u16string(1, u'\xD800'), u"\U0001F3B9"};
             for (const auto& text : texts) out.value(text);
             out.end();
         }},
        {"numbers",
         [](ReportWriter& out) {
             out.beginArray();
             for (const double x :
                  {0.0, -0.0, 1.0, -1.0, 0.1, 1.0 / 3.0, 1e14, 999999999999999.0, 1e15, -1e15,
                   1e16, 123456789012345678.0, 1e-5, 1e21, 1e22, 5e-324,
                   std::numeric_limits<double>::max(), kNaN, kInfinity, -kInfinity,
                   static_cast<double>(0.7f), 24517.0, 16383.5, 4503599627370497.0})
                 out.value(x);
             out.value(0.7f);
             out.value(std::numeric_limits<std::int64_t>::min());
             out.value(std::numeric_limits<std::int64_t>::max());
             out.value(std::numeric_limits<std::uint64_t>::max());
             out.value(std::int32_t{-7});
             out.value(std::uint32_t{7});
             out.end();
         }},
        {"containers and the rest",
         [](ReportWriter& out) {
             inObject(out, [](ReportWriter& o) {
                 o.member("true", true);
                 o.member("false", false);
                 o.key("null");
                 o.null();
                 o.member("some", std::optional<double>(2.5));
                 o.member("list", std::vector<int>{1, 2, 3});
                 o.member("none", std::vector<std::string>{});
                 o.arrayMember("nested");
                 o.beginArray();
                 o.beginArray();
                 o.end();
                 o.end();
                 o.end();
                 o.objectMember("empty");
                 o.end();
             });
         }},
        {"documents written whole",
         [](ReportWriter& out) {
             inObject(out, [](ReportWriter& o) {
                 o.key("piece");
                 o.document(Report::parse(R"({"b": [1, 2.5, "x", null, true, {}], "a": {"c": []},)"
                                          R"( "u": 18446744073709551615, "i": -3})"));
                 o.key("scalar");
                 o.document(Report(0.5));
             });
         }},
        {"a value alone", [](ReportWriter& out) { out.value("only"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(streamed(c.write), built(c.write));
    }
}

TEST(ReportText, NumbersReadAsTheDocumentWritesThem) {
    // Whole numbers take a short way; every other number the document's. Both must agree
    // with the document everywhere, at the edges most of all.
    std::mt19937_64 random(23);
    std::vector<double> values;
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = random();
        double x;
        std::memcpy(&x, &bits, sizeof x);
        values.push_back(x);
        values.push_back(static_cast<double>(static_cast<std::int64_t>(bits >> (i % 64))));
        values.push_back(static_cast<double>(i % 2000) * 0.25 - 100);
    }
    for (const double edge : {1e15, 1e15 - 1, 1e15 + 1, -1e15, -(1e15 - 1), 9007199254740992.0,
                              0.5, -0.5, 1e-300})
        values.push_back(edge);
    for (const double x : values) {
        const std::string expected = Report(x).dump();
        if (RefHost::numberText(x) != expected) {
            ADD_FAILURE() << "bits " << std::hexfloat << x << ": " << RefHost::numberText(x)
                          << " instead of " << expected;
            return;
        }
    }
}

TEST(ReportText, AWholeImportReadsAsItsDocument) {
    TempFolder folder;
    const auto bytes = TessaroWriter::demoProject().bytes();
    const auto demo = folder.write("Demo.tsp", bytes);
    ASSERT_TRUE(TessaroWriter::writeDemoWaveFiles(folder.path()));
    auto damaged = bytes;
    damaged.resize(100);
    const auto broken = folder.write("Broken.tsp", damaged);
    ImportHarness harness;
    const struct {
        std::filesystem::path file;
        const char* host;
    } cases[] = {{demo, ""}, {demo, "Larkwin 6.0.1"}, {demo, "Ombrel Fold 7.0.0"}, {broken, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.filename().string() + " on " + c.host);
        const auto run = harness.importFile(c.file, onHost(c.host));
        ASSERT_TRUE(run.clean()) << run.findingsText();
        // A section added behind the host's, as an output adds one.
        const Write write = [&](ReportWriter& out) {
            inObject(out, [&](ReportWriter& o) {
                RefHost::writeHostReport(*run.host, run.result, o);
                o.key("export");
                o.document(Report{{"midi", {{"written", true}}}});
            });
        };
        auto withSection = run.report;
        withSection["export"] = Report{{"midi", {{"written", true}}}};
        EXPECT_EQ(streamed(write), RefHost::reportText(withSection));
    }
}

TEST(ReportText, ASpillOfALongTextKeepsItWhole) {
    // Texts longer than the writer's buffer, and many values that fill it several times.
    const std::string longText(700 * 1024, 'x');
    const Write write = [&](ReportWriter& out) {
        out.beginArray();
        for (int i = 0; i < 50000; ++i) out.value(i * 0.5);
        out.value(longText);
        out.value(std::string(300 * 1024, '"'));
        out.end();
    };
    EXPECT_EQ(streamed(write), built(write));
}

namespace {

// A stream buffer that takes so many bytes and then no more, as a full disk does.
class FillingBuffer : public std::streambuf {
public:
    explicit FillingBuffer(std::size_t room) : room_(room) {}
    std::size_t taken = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        const auto take = std::min(static_cast<std::size_t>(n), room_ - taken);
        taken += take;
        return static_cast<std::streamsize>(take);
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()) || taken == room_)
            return traits_type::eof();
        ++taken;
        return c;
    }

private:
    std::size_t room_;
};

// About 3 MB of text: more than the writer's buffer holds several times.
void writeMany(ReportWriter& out) {
    out.beginArray();
    for (int i = 0; i < 100000; ++i) out.value("a text of twenty-four");
    out.end();
}

}  // namespace

TEST(ReportText, AStreamThatStopsTakingIsToldAtTheEnd) {
    const std::size_t size = streamed(writeMany).size();
    for (const std::size_t room :
         {std::size_t{0}, std::size_t{100}, size / 2, size - 1, size, 2 * size}) {
        SCOPED_TRACE(room);
        FillingBuffer buffer(room);
        std::ostream out(&buffer);
        RefHost::ReportText text(out);
        writeMany(text);
        EXPECT_EQ(text.finish(), room >= size);
        EXPECT_EQ(buffer.taken, std::min(room, size));
    }
    // A writer given up before its end (the walk threw) lets its thread go.
    FillingBuffer buffer(2 * size);
    std::ostream out(&buffer);
    {
        RefHost::ReportText text(out);
        text.beginArray();
        for (int i = 0; i < 50000; ++i) text.value("a text of twenty-four");
    }
    EXPECT_GT(buffer.taken, 0u);
}
