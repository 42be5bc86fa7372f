// The pages of tessaro-import --html opened in headless Chromium, as a person opens them:
// what the page shows once its script ran, read from the document. One browser serves
// each test; without Chromium the tests are skipped with the reason.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>

#include "tests/support/browser.h"
#include "tests/support/import_harness.h"
#include "tests/support/tool_run.h"
#include "tests/view/view_support.h"
#include "tools/writer/tone_file.h"
#include "tools/writer/writer.h"

using namespace TessaroTest;
using namespace TessaroWriter;
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// The browser for one test; skips the test where there is none.
#define START_BROWSER(browser)                       \
    std::string why;                                 \
    const auto browser = Browser::start(why);        \
    if (!browser) GTEST_SKIP() << why

std::string errorsOf(const Browser::Load& load) {
    std::string text;
    for (const auto& e : load.consoleErrors) text += e + "\n";
    return text;
}

// A page opened, with no console error and no dialog.
void openClean(Browser& browser, const fs::path& page, int width = 1280, int height = 800) {
    const auto load = browser.open(page, width, height);
    EXPECT_EQ(errorsOf(load), "");
    EXPECT_FALSE(load.dialogOpened);
}

// How many elements the selector finds.
std::size_t count(Browser& browser, const std::string& selector) {
    return browser.evaluate("document.querySelectorAll(" + json(selector).dump() + ").length").get<std::size_t>();
}

}  // namespace

TEST(ViewInBrowser, TheDemosPageShowsItsSongAndZoomsByButtonKeyAndWheel) {
    if (!TESSARO_WITH_AUDIO) GTEST_SKIP() << "the demo plays a wave file: the host needs audio";
    START_BROWSER(browser);
    TempFolder folder;
    const fs::path project = writeDemoProject(folder.path());
    const fs::path page = folder.path() / "Demo.html", report = folder.path() / "Demo.json";
    const ToolRun run = runTool({project.string(), "--html", page.string(), "--json", report.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json reported = json::parse(std::ifstream(report));

    openClean(*browser, page);
    {
        SCOPED_TRACE("what the arrangement holds equals the song's");
        EXPECT_EQ(count(*browser, "section.lane.track"), reported.at("tracks").size());
        EXPECT_EQ(count(*browser, "section.lane.track"), 5u);
        EXPECT_EQ(count(*browser, ".clip.part"), 3u);
        EXPECT_EQ(count(*browser, ".clip.audio"), 1u);
        EXPECT_EQ(count(*browser, ".clip.audio svg.wave path.peaks"), 1u);
        EXPECT_EQ(count(*browser, ".clip.audio .fade-line"), 2u);
        EXPECT_EQ(count(*browser, "svg.automation"), 2u);
        EXPECT_EQ(count(*browser, "#not-carried li.note"), reported.at("diagnostics").at("notes").size());
        EXPECT_EQ(count(*browser, "#lane-0 .track-note"), 1u);  // Piano, the file's track 1
        EXPECT_EQ(count(*browser, ".strip"), 6u);               // five channels and the output
        EXPECT_EQ(browser->evaluate("document.querySelector('#lane-0 .name').textContent"), "Piano");
        EXPECT_EQ(browser->evaluate("document.querySelector('#lane-1 .settings').textContent"),
                  "M (not muted)S (solo) 0.0 dB C");
        EXPECT_EQ(browser->evaluate("[...document.querySelectorAll('.strip[data-role=master] .inserts li')]"
                                    ".map(e => e.textContent).join('|')"),
                  "slot 1 Tonalix on");
        EXPECT_EQ(browser->evaluate("document.querySelector('.outputs a').getAttribute('href')"), "Demo.json");
        EXPECT_EQ(browser->evaluate("[...document.querySelectorAll('.lane .kind')].map(e => e.textContent)"),
                  json::parse(R"(["Instrument track · Miravox Lite · preset [GM 001] Acoustic Grand Piano",
                                  "Instrument track · Beatwright Lite",
                                  "Instrument track · Analora · preset Warm Pad", "Audio track", "Effect track"])"));
    }
    {
        SCOPED_TRACE("the ruler: 120 bpm in 4/4, the song fitted to the window");
        const double ppq = browser->evaluate("Number(getComputedStyle(arrangement).getPropertyValue('--ppq'))");
        EXPECT_NEAR(ppq, (1280 - 240) / 16.0, 1.0);  // the four bars of content fill the lanes' width
        const json bars = browser->evaluate(
            "[...document.querySelectorAll('.bar-line')].slice(0, 4).map(e => [e.dataset.bar, parseFloat(e.style.left), e.dataset.seconds])");
        for (int b = 0; b < 4; ++b) {
            SCOPED_TRACE(b);
            EXPECT_EQ(bars.at(b).at(0), std::to_string(b + 1));
            EXPECT_NEAR(bars.at(b).at(1).get<double>(), b * 4 * ppq, 0.01);
            EXPECT_EQ(bars.at(b).at(2), std::to_string(b * 2) + ".000");
        }
    }
    {
        SCOPED_TRACE("zoom: a button, a key on the arrangement, Ctrl+wheel");
        const auto ppq = [&] { return browser->evaluate("Number(getComputedStyle(arrangement).getPropertyValue('--ppq'))").get<double>(); };
        const double fitted = ppq();
        browser->evaluate("document.getElementById('zoom-in').click()");
        EXPECT_NEAR(ppq(), fitted * 1.5, 1e-6);
        EXPECT_NEAR(browser->evaluate("parseFloat(document.querySelectorAll('.bar-line')[1].style.left)").get<double>(),
                    4 * fitted * 1.5, 0.01);
        EXPECT_NEAR(browser->evaluate("document.querySelector('.clip.part').getBoundingClientRect().width").get<double>(),
                    16 * fitted * 1.5, 1.0);
        browser->evaluate("scroller.dispatchEvent(new KeyboardEvent('keydown', {key: '-', bubbles: true}))");
        EXPECT_NEAR(ppq(), fitted, 1e-6);
        browser->evaluate("scroller.dispatchEvent(new WheelEvent('wheel', {deltaY: -200, ctrlKey: true, clientX: 400, "
                          "bubbles: true, cancelable: true}))");
        EXPECT_GT(ppq(), fitted * 1.2);
        browser->evaluate("scroller.dispatchEvent(new KeyboardEvent('keydown', {key: '0', bubbles: true}))");
        EXPECT_NEAR(ppq(), fitted, 1e-6);
    }
    {
        SCOPED_TRACE("the screenshot kept in docs/ for the README");
        const auto shot = browser->screenshot();
        const auto size = pngSize(shot);
        ASSERT_TRUE(size);
        EXPECT_EQ(*size, std::make_pair(1280u, 800u));
    }
    EXPECT_EQ(errorsOf(browser->current()), "");
}

namespace {

// A project of 90 bpm in 3/4 whose names hold markup: two tracks, a part on the first.
ProjectFile markupProject() {
    ProjectFile file;
    HeadChunk head;
    head.tempo = 90;
    head.numerator = 3;
    head.denominator = 4;
    head.trackCount = 2;
    file.add(head);
    const char* names[] = {"<script>alert(1)</script>", "Tom & \"Jerry's\" <b>bold</b>"};
    for (std::uint16_t t = 1; t <= 2; ++t) {
        TrackInfoChunk track;
        track.trackNumber = t;
        track.trackType = kInstrumentTrack;
        track.name = FileString(std::string_view(names[t - 1]));
        file.add(track);
        if (t != 1) continue;
        // A track's regions follow its track info.
        RegionChunk regions;
        regions.trackNumber = 1;
        Region region;
        region.name = FileString(std::string_view("</svg><img src=x onerror=alert(2)>"));
        MidiData midi;
        midi.notes = {{0, 120, 60, 100}, {120, 120, 64, 50}};
        region.content = midi;
        regions.regions.push_back(region);
        file.add(regions);
    }
    return file;
}

// The song header and an output bus whose gain is out of range: the import fails at the
// gain, byte 96 (8 bytes of magic, 78 of the header, then id, size, channel and mute).
ProjectFile brokenProject() {
    ProjectFile file;
    file.add(HeadChunk{});
    OutputBusChunk bus;
    bus.gain = 200;
    file.add(bus);
    return file;
}

std::string attribute(Browser& browser, const std::string& selector, const std::string& name) {
    return browser.evaluate("document.querySelector(" + json(selector).dump() + ").getAttribute(" + json(name).dump() + ")")
        .get<std::string>();
}

std::string text(Browser& browser, const std::string& selector) {
    return browser.evaluate("document.querySelector(" + json(selector).dump() + ").textContent").get<std::string>();
}

}  // namespace

TEST(ViewInBrowser, MarkupStaysTextFailuresShowTheirBytesTheIndexListsTheRunAndTheMixPlays) {
    START_BROWSER(browser);
    TempFolder folder;
    const fs::path markup = folder.path() / "Markup.tsp", broken = folder.path() / "Broken.tsp";
    ASSERT_TRUE(markupProject().writeTo(markup));
    ASSERT_TRUE(brokenProject().writeTo(broken));
    const fs::path gone = folder.path() / "Gone.tsp";
    const fs::path out = folder.path() / "out";
    const ToolRun run = runTool({markup.string(), broken.string(), gone.string(), "--html", out.string() + "/", "--json",
                                 out.string() + "/", "--jobs", "2"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find(markup.string() + ": imported -> " + (out / "Markup.json").string() + ", " +
                           (out / "Markup.html").string() + "\n"),
              std::string::npos)
        << run.out;

    {
        SCOPED_TRACE("the index lists each project with its result");
        openClean(*browser, out / "index.html");
        EXPECT_EQ(browser->evaluate("[...document.querySelectorAll('tr.project')].map(r => "
                                    "[r.querySelector('th').textContent, r.querySelector('.result').textContent, "
                                    "r.querySelector('.reason').textContent, r.querySelector('th a').getAttribute('href')])"),
                  json::parse(R"([[")" + markup.string() + R"(", "imported", "", "Markup.html"],
                                   [")" + broken.string() + R"(", "failed", "OUTB chunk #1 at byte 96: cannot read output bus gain", "Broken.html"],
                                   [")" + gone.string() + R"(", "failed", "no such file", "Gone.html"]])"));
        EXPECT_EQ(text(*browser, "#totals"), "3 projects: 1 imported, 2 failed");
        EXPECT_EQ(browser->evaluate("[...document.querySelectorAll('tr.project')[0].querySelectorAll('td')].map(c => c.textContent)"),
                  json::parse(R"(["imported", "", "2", "2", "0", "0:29.333", "0", "Markup.json "])"));  // the host's length: 44 quarter notes at 90 bpm
    }
    {
        SCOPED_TRACE("names with markup are shown as text and run nothing");
        openClean(*browser, out / "Markup.html");
        EXPECT_EQ(browser->evaluate("document.scripts.length"), 1);
        EXPECT_EQ(count(*browser, "img:not(.roll)"), 0u);
        EXPECT_EQ(browser->evaluate("[...document.querySelectorAll('.lane.track .name')].map(e => e.textContent)"),
                  json::parse(R"(["<script>alert(1)</script>", "Tom & \"Jerry's\" <b>bold</b>"])"));
        EXPECT_EQ(text(*browser, ".clip.part .clip-name"), "</svg><img src=x onerror=alert(2)>");
        EXPECT_EQ(browser->evaluate("document.title"), "Markup");
        EXPECT_EQ(count(*browser, ".clip.part svg.roll path"), 2u);  // velocities 100 and 50: two shades
    }
    {
        SCOPED_TRACE("the ruler at 90 bpm in 3/4: a bar of three quarter notes every two seconds");
        const double ppq = browser->evaluate("Number(getComputedStyle(arrangement).getPropertyValue('--ppq'))");
        const json bars = browser->evaluate(
            "[...document.querySelectorAll('.bar-line')].slice(0, 3).map(e => [parseFloat(e.style.left), e.dataset.seconds, e.title])");
        for (int b = 0; b < 3; ++b) {
            SCOPED_TRACE(b);
            EXPECT_NEAR(bars.at(b).at(0).get<double>(), 3 * b * ppq, 0.01);
            EXPECT_EQ(bars.at(b).at(1), std::to_string(2 * b) + ".000");
            EXPECT_EQ(bars.at(b).at(2), "Bar " + std::to_string(b + 1) + " · 0:0" + std::to_string(2 * b) + ".000");
        }
        EXPECT_EQ(count(*browser, ".beat-line"), 2u * count(*browser, ".bar-line"));
    }
    EXPECT_FALSE(browser->current().dialogOpened);
    {
        SCOPED_TRACE("a failed import names the reason and marks the failing byte");
        openClean(*browser, out / "Broken.html");
        EXPECT_EQ(text(*browser, "#reason"), "OUTB chunk #1 at byte 96: cannot read output bus gain");
        EXPECT_EQ(text(*browser, "#failure-chunk"), "OUTB (chunk #1)");
        std::ifstream in(broken, std::ios::binary);
        in.seekg(96);
        char byte = 0;
        in.read(&byte, 1);
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(byte));
        EXPECT_EQ(text(*browser, "#failing-byte"), hex);
        EXPECT_EQ(browser->evaluate("document.getElementById('failing-byte').closest('tr').querySelector('th').textContent"),
                  "00000060");
        EXPECT_EQ(browser->evaluate("[...document.getElementById('failing-byte').closest('tr').children].indexOf("
                                    "document.getElementById('failing-byte').parentElement)"),
                  1);  // the first byte of its row, behind the offset
        openClean(*browser, out / "Gone.html");
        EXPECT_EQ(text(*browser, "#reason"), "no such file");
        EXPECT_EQ(count(*browser, "#failing-byte"), 0u);
    }
#if TESSARO_WITH_AUDIO
    {
        SCOPED_TRACE("a page with a mix: its playhead follows the ruler's clicks");
        Tone tone;
        tone.seconds = 4;
        ASSERT_TRUE(writeToneFile(folder.path() / "mix one.wav", tone));
        const auto song = plainSong(1, 1, 8);
        const fs::path page = writeSongPage(folder.path() / "Mixed.html", song, {}, "mix one.wav");
        openClean(*browser, page);
        EXPECT_EQ(attribute(*browser, "#mix", "src"), "mix%20one.wav");
        EXPECT_NEAR(browser->evaluate("new Promise(done => mix.readyState >= 1 ? done(mix.duration) : "
                                      "mix.addEventListener('loadedmetadata', () => done(mix.duration)))")
                        .get<double>(),
                    4.0, 0.01);
        browser->evaluate("(() => { const r = ruler.getBoundingClientRect(); const ppq = Number(getComputedStyle(arrangement)"
                          ".getPropertyValue('--ppq')); ruler.dispatchEvent(new MouseEvent('click', {clientX: r.left + 6 * ppq, "
                          "clientY: r.top + 5, bubbles: true})); })()");
        EXPECT_NEAR(browser->evaluate("mix.currentTime").get<double>(), 3.0, 0.01);  // six quarter notes at 120 bpm
        EXPECT_EQ(browser->evaluate("playhead.hidden"), false);
        EXPECT_NEAR(std::stod(browser->evaluate("playhead.style.getPropertyValue('--at')").get<std::string>()), 6, 1e-6);
        // Playing, the playhead moves with the mix: where it stands is the mix's time in
        // quarter notes.
        const json played = browser->evaluate(
            "mix.play().then(() => new Promise(done => setTimeout(done, 400))).then(() => { mix.pause(); "
            "return new Promise(done => setTimeout(() => requestAnimationFrame(() => done([mix.currentTime, "
            "Number(playhead.style.getPropertyValue('--at'))])), 100)); })");
        EXPECT_GT(played.at(0).get<double>(), 3.1);
        EXPECT_NEAR(played.at(1).get<double>(), played.at(0).get<double>() * 2, 1e-3);
        EXPECT_EQ(errorsOf(browser->current()), "");
    }
#endif
    {
        SCOPED_TRACE("a song of more notes than are drawn one by one: its parts as images that decode");
        View::Drawing drawing;
        drawing.notesDrawnExactly = 100;
        drawing.fewNotes = 8;
        const auto song = plainSong(3, 2, 200);
        openClean(*browser, writeSongPage(folder.path() / "Many.html", song, drawing));
        EXPECT_EQ(count(*browser, ".clip.part img.roll"), 6u);
        EXPECT_EQ(count(*browser, ".clip.part svg.roll"), 0u);
        EXPECT_EQ(browser->evaluate("Promise.all([...document.querySelectorAll('img.roll')].map(i => i.decode()"
                                    ".then(() => i.naturalWidth + 'x' + i.naturalHeight)))"),
                  json::parse(R"(["1000x48", "1000x48", "1000x48", "1000x48", "1000x48", "1000x48"])"));
        EXPECT_EQ(count(*browser, ".clip.part svg.cc path"), 6u);
    }
}
