// An import as a Windows host runs it: tessaroimporter.dll loaded with LoadLibraryW by the
// reference host, a project read from a folder and a file whose names need UTF-16 beyond
// 8-bit text. (The Windows build's reference host has no audio: projects that play wave
// files are imported by the Linux builds.)
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/import_harness.h"
#include "tests/windows/system_path.h"
#include "tools/writer/writer.h"

using TessaroWindowsTest::systemPath;

namespace {

namespace fs = std::filesystem;

// Two instrument tracks, one named beyond ASCII.
TessaroWriter::ProjectFile twoInstrumentTracks() {
    TessaroWriter::ProjectFile file;
    file.add(TessaroWriter::HeadChunk{}).trackCount = 2;
    TessaroWriter::TrackInfoChunk& piano = file.add(TessaroWriter::TrackInfoChunk{});
    piano.trackNumber = 1;
    piano.name = u"Klavier \u00C4\u00F6 \u97F3\u697D";
    TessaroWriter::TrackInfoChunk& bass = file.add(TessaroWriter::TrackInfoChunk{});
    bass.trackNumber = 2;
    bass.name = u"Bass";
    return file;
}

}  // namespace

TEST(WindowsImport, AProjectImportsThroughTheLoadedDllFromAFolderNamedBeyondAscii) {
    TessaroTest::ImportHarness harness{fs::path(systemPath(TESSARO_MODULE_PATH))};
    TessaroTest::TempFolder temp;
    const fs::path folder = temp.path() / u"Projekte \u00C4\u00F6\u00DF \u97F3\u697D \U0001D11E";
    fs::create_directories(folder);
    const fs::path project = folder / u"Song \u00E9\u00FC.tsp";
    {
        const auto bytes = twoInstrumentTracks().bytes();
        std::ofstream out(project, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out);
    }

    const auto run = harness.importFile(project);
    ASSERT_TRUE(run.result.has_value()) << run.error;
    EXPECT_EQ(*run.result, 0);
    EXPECT_EQ(run.messages, std::vector<std::string>{"The Tessaro import was completed."});
    EXPECT_TRUE(run.clean()) << run.findingsText();
    ASSERT_EQ(run.report["tracks"].size(), 2u);
    EXPECT_EQ(run.report["tracks"][0]["name"], "Klavier \u00C4\u00F6 \u97F3\u697D");
    EXPECT_EQ(run.report["tracks"][1]["name"], "Bass");
}
