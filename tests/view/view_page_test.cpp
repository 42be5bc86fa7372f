// The view's pages as text, without a browser: the pieces every page is made of, how a
// song's notes are drawn (one by one, or aggregated once a song holds many), the
// waveform read from a wave file, the bounded hex view of a failed import, and the names
// of a run's pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tests/view/view_support.h"
#include "tools/writer/project_file.h"
#include "tools/writer/tone_file.h"
#include "view/html.h"
#include "view/waveform.h"

using namespace TessaroTest;
namespace fs = std::filesystem;

namespace {

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(ViewText, NamesNumbersLinksAndLevelsAreWrittenAsAPageShowsThem) {
    struct Case {
        std::string got, expected;
    };
    const Case cases[] = {
        {View::escaped("<script>alert('x') & \"y\"</script>"),
         "&lt;script&gt;alert(&#39;x&#39;) &amp; &quot;y&quot;&lt;/script&gt;"},
        {View::number(12.5), "12.5"},
        {View::number(3.0), "3"},
        {View::number(-0.0001), "0"},
        {View::number(1.0 / 3, 4), "0.3333"},
        {View::href("My Songs/Demo #1?.json"), "My%20Songs/Demo%20%231%3F.json"},
        {View::href("caf\xC3\xA9.wav"), "caf%C3%A9.wav"},
        {View::decibels(1.0), "0.0 dB"},
        {View::decibels(2.0), "+6.0 dB"},
        {View::decibels(0.5), "-6.0 dB"},
        {View::decibels(0.0), "-inf dB"},
        {View::panText(0.5), "C"},
        {View::panText(0.35), "L30"},
        {View::panText(1.0), "R100"},
        {View::clockText(62.5), "1:02.500"},
        {View::clockText(0.0004), "0:00.000"},
        {View::fillTemplate("<p>@A@ and @B@ @ mail@x.y @A@</p>", {{"A", "@B@"}, {"B", "b"}}),
         "<p>@B@ and b @ mail@x.y @B@</p>"},
        {View::base64({'a', 'b', 'c', 'd'}), "YWJjZA=="},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(ViewText, ASongsNotesAreDrawnOneByOneUntilThereAreTooManyThenAggregated) {
    const auto song = plainSong(2, 2, 40);
    View::PageRequest request;
    request.projectFile = "Plain.tsp";
    request.song = &song;
    struct Case {
        const char* name;
        View::Drawing drawing;
        std::size_t vectors, images;
    };
    const Case cases[] = {
        {"every note one by one", {}, 4, 0},
        {"more notes than drawn one by one: images", {100, 8, 1000}, 0, 4},
        {"parts of few notes stay vectors", {100, 40, 1000}, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string html = View::pageHtml(request, c.drawing);
        EXPECT_EQ(occurrences(html, "<svg class=\"roll\""), c.vectors);
        EXPECT_EQ(occurrences(html, "<img class=\"roll\" alt=\"\" loading=\"lazy\" decoding=\"async\" src=\"data:image/png;base64,iVBORw0KGgo"), c.images);
        EXPECT_EQ(occurrences(html, "<svg class=\"cc\""), 4u);
        EXPECT_EQ(occurrences(html, "class=\"clip part\""), 4u);
    }
    // A song of 100,000 notes: a page of a few bytes a note, however it is drawn.
    const auto big = plainSong(20, 10, 500);
    request.song = &big;
    const std::string html = View::pageHtml(request);
    EXPECT_EQ(occurrences(html, "<img class=\"roll\""), 200u);
    EXPECT_LT(html.size(), 100000u * 6);
}

TEST(ViewText, EveryPageLetsOnlyItsOwnScriptRunAndLoadsNothing) {
    const auto song = plainSong(1, 1, 4);
    View::PageRequest request;
    request.projectFile = "Plain.tsp";
    request.song = &song;
    std::set<std::string> nonces;
    for (int i = 0; i < 2; ++i) {
        const std::string html = View::pageHtml(request);
        const auto at = html.find("'nonce-");
        ASSERT_NE(at, std::string::npos);
        const std::string nonce = html.substr(at + 7, html.find('\'', at + 7) - at - 7);
        EXPECT_EQ(occurrences(html, "<script nonce=\"" + nonce + "\">"), 1u);
        EXPECT_EQ(occurrences(html, "<script"), 1u);
        EXPECT_EQ(occurrences(html, "http:"), 0u);
        EXPECT_EQ(occurrences(html, "https:"), 0u);
        nonces.insert(nonce);
    }
    EXPECT_EQ(nonces.size(), 2u);
}

#if TESSARO_WITH_AUDIO
TEST(ViewText, AWaveformHoldsTheLowestAndHighestSampleOfEachColumn) {
    TempFolder folder;
    TessaroWriter::Tone tone;
    tone.channels = 1;
    tone.seconds = 1;
    tone.level = 0.5;
    const fs::path file = folder.path() / "tone.wav";
    ASSERT_TRUE(TessaroWriter::writeToneFile(file, tone));
    const auto whole = View::waveformOf(file, 0, 1, 10);
    ASSERT_TRUE(whole);
    for (std::size_t c = 0; c < 10; ++c) {
        SCOPED_TRACE(c);
        EXPECT_NEAR(whole->maximum[c], 0.5, 0.002);
        EXPECT_NEAR(whole->minimum[c], -0.5, 0.002);
    }
    // From half a second for a second: the second half of the columns lies behind the end.
    const auto tail = View::waveformOf(file, 0.5, 1, 4);
    ASSERT_TRUE(tail);
    EXPECT_NEAR(tail->maximum[1], 0.5, 0.002);
    EXPECT_EQ(tail->maximum[2], 0.0f);
    EXPECT_EQ(tail->minimum[3], 0.0f);
    EXPECT_FALSE(View::waveformOf(folder.path() / "missing.wav", 0, 1, 4));
    EXPECT_FALSE(View::waveformOf(file, 0, 0, 4));
}
#endif

TEST(ViewText, AFailedImportsPageShowsABoundedWindowOfTheFileWithTheFailingByteMarked) {
    TempFolder folder;
    std::vector<std::uint8_t> bytes(1 << 20);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    const fs::path file = folder.write("Big.tsp", bytes);
    struct Case {
        std::int64_t offset;
        std::string marked;  // the marked cell
        std::string firstRow;
    };
    const Case cases[] = {
        {500000, ">" + std::string("e0") + "</mark>", "<th scope=\"row\">0007a0a0</th>"},  // 500000 * 7 = 0x...e0
        {3, ">15</mark>", "<th scope=\"row\">00000000</th>"},
        {1 << 20, ">end</mark>", "<th scope=\"row\">000fff80</th>"},  // behind the file's end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        RefHost::Diagnostics told;
        told.failure = RefHost::DiagnosticFailure{"cannot read a field", "TREG", 7, c.offset};
        View::PageRequest request;
        request.projectFile = file;
        request.diagnostics = &told;
        const std::string html = View::pageHtml(request);
        EXPECT_EQ(occurrences(html, "id=\"failing-byte\""), 1u);
        EXPECT_NE(html.find(c.marked), std::string::npos);
        EXPECT_NE(html.find(c.firstRow), std::string::npos);
        EXPECT_NE(html.find("<p id=\"reason\" class=\"reason-text\">TREG chunk #7 at byte " + std::to_string(c.offset) +
                            ": cannot read a field</p>"),
                  std::string::npos);
        EXPECT_LE(occurrences(html, "<tr><th scope=\"row\">"), 17u);  // 256 bytes around it at most
    }
}

TEST(ViewCommand, ARunsPagesLeaveTheIndexItsNameAndAPageIsNeverTheProjectFile) {
    TempFolder folder;
    const std::vector<std::uint8_t> empty(TessaroWriter::kMagic.begin(), TessaroWriter::kMagic.end());
    const fs::path index = folder.write("a/index.tsp", empty), other = folder.write("b/Index.tsp", empty);
    const fs::path out = folder.path() / "pages";
    const ToolRun run = runTool({index.string(), other.string(), "--html", out.string() + "/", "--quiet"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out)) names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"index.html", "index-2.html", "Index-3.html"}));

    // An index that cannot be written (a folder stands in its place) fails the run, named.
    fs::remove_all(out);
    fs::create_directories(out / "index.html");
    const ToolRun blocked = runTool({index.string(), other.string(), "--html", out.string() + "/", "--quiet"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(blocked.out, "");
    EXPECT_EQ(blocked.err, "tessaro-import: cannot write " + (out / "index.html").string() + ": it is a folder\n");

    const ToolRun missing = runTool({index.string(), "--html", (folder.path() / "none" / "Page.html").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "tessaro-import: cannot write " + (folder.path() / "none" / "Page.html").string() + ": " +
                               (folder.path() / "none").string() + " does not exist\n");
    const ToolRun same = runTool({index.string(), "--html", index.string()});
    EXPECT_EQ(same.status, 2);
    EXPECT_EQ(same.err, "tessaro-import: cannot write " + index.string() + ": it is the project file\n");
    const ToolRun file = runTool({index.string(), other.string(), "--html", (folder.path() / "one.html").string()});
    EXPECT_EQ(file.status, 2);
    EXPECT_EQ(file.err, "tessaro-import: with several projects, --html takes a folder (a path ending in /), not \"" +
                            (folder.path() / "one.html").string() + "\"\n");
}
