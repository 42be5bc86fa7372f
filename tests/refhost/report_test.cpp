// The JSON report: its keys, their order, the song section and byte-stable text.
#include <gtest/gtest.h>

#include "refhost/diagnostics.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

// What a song header does to the host, as the importer makes the calls.
void setSong(RefHost::ReferenceHost& host) {
    auto project = projectOf(host);
    auto target = queryTo<Host::IImportTarget>(project);
    auto edit = contextAs<Host::IEditContext>(host);
    edit->beginEdit(0);
    target->prepare(30, 0);
    IPtr<Host::ITempo> tempo;
    project->getTempo(960.0f, tempo.put());
    tempo->setActive(1);
    tempo->setTempo(120.0f);
    project->setLength(static_cast<double>(static_cast<float>(4 * 480 + 1920) * (1.0f / 960.0f)));
    IPtr<Host::ISignatureTrack> signatures;
    project->getSignatureTrack(signatures.put());
    signatures->addSignature(0, 4, 4, edit.get());
    auto transport = contextAs<Host::ITransport>(host);
    transport->setCycleActive(1);
    transport->setCycleRange(0.5, 2.0, 1.0f / 960.0f);
    target->setSampleRate(48000);
    target->setSampleSize(24);
    edit->finishStep(project.get(), u"Import Tessaro Project");
    contextAs<Host::IMessageDisplay>(host)->showMessage(u"The Tessaro import was completed.", 0, 0, 0);
}

void setTracks(RefHost::ReferenceHost& host) {
    auto project = projectOf(host);
    auto edit = contextAs<Host::IEditContext>(host);
    auto piano = addTrack(host, "instrument", u"Piano");
    piano->setColor(project.get(), 0xFF102030u, edit.get());
    IPtr<Host::IAttributeList> list;
    queryTo<Host::ITrack>(piano)->getAttributes(list.put());
    list->setInt("cinr", 1, 1);
    list->setFloat("trVo", static_cast<double>(0.7f), 1);
    addTrack(host, "FX Channel", u"Bus 1");
}

TEST(Report, HasItsSectionsInAFixedOrder) {
    auto host = makeHost("ombrel-7.0.1");
    const auto report = RefHost::makeReport(*host, std::nullopt);
    std::vector<std::string> keys;
    for (const auto& [key, value] : report.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"result", "messages", "diagnostics", "editsBegun",
                                              "editSteps", "host", "song", "tracks", "mixer",
                                              "effects", "files", "references", "missingFiles"}));
    EXPECT_EQ(report["result"], nullptr);
    // No filter was asked: no diagnostics.
    EXPECT_EQ(report["diagnostics"], nullptr);
    EXPECT_EQ(report["host"].dump(),
              R"({"name":"Ombrel","version":"Version 7.0.1","profile":"ombrel-7.0.1"})");
    EXPECT_EQ(report["references"].dump(),
              R"({"held":0,"overReleased":0,"misuses":0,"firstMisuse":null,)"
              R"("details":{"held":[],"overReleased":[],"misuses":[]}})");
}

TEST(Report, TheSongSectionHoldsWhatTheImportSet) {
    auto host = makeHost();
    setSong(*host);
    const auto report = RefHost::makeReport(*host, 0);
    EXPECT_EQ(report["result"], 0);
    EXPECT_EQ(report["messages"].dump(), R"(["The Tessaro import was completed."])");
    EXPECT_EQ(report["editsBegun"].dump(), "[0]");
    EXPECT_EQ(report["editSteps"].dump(), R"(["Import Tessaro Project"])");
    EXPECT_EQ(report["song"].dump(),
              R"({"preparation":[{"templateId":30,"viewMode":0}],)"
              R"("tempo":{"rate":960.0,"active":1,"tempo":120.0},"length":4.0,)"
              R"("signatures":[{"position":0.0,"numerator":4,"denominator":4}],)"
              R"("cycle":{"active":true,"left":0.5,"right":2.0,"factor":0.0010416667209938169},)"
              R"("sampleRate":48000.0,"sampleSize":24})");
}

TEST(Report, TracksShowKindNameColourAttributesAndChannel) {
    auto host = makeHost("ombrel-8.0.1");
    setTracks(*host);
    const auto tracks = RefHost::makeReport(*host, std::nullopt)["tracks"];
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].dump(),
              R"({"depth":0,"kind":"instrument","name":"Piano","colour":"0xFF102030",)"
              R"("attributes":{"cinr":{"type":"integer","value":1},)"
              R"("trVo":{"type":"float","value":0.699999988079071}},)"
              R"("channel":{"channel":1,"type":"Synth","volume":24517.0,"pan":16383.5,)"
              R"("mute":0.0,"solo":0.0,"mode":null},)"
              R"("instrument":{"slot":"InstSlot","effectType":"No Instrument","plugin":null,)"
              R"("classId":null,"preset":null,"state":null,"refusedPresets":[]}})");
    EXPECT_EQ(tracks[1]["kind"], "effect");
    EXPECT_EQ(tracks[1]["colour"], nullptr);
    EXPECT_EQ(tracks[1]["channel"]["channel"], 0);
}

TEST(Report, IsByteStableForTheSameCalls) {
    std::string texts[2];
    for (auto& text : texts) {
        auto host = makeHost("larkwin-6.0.1");
        setSong(*host);
        setTracks(*host);
        text = RefHost::reportText(RefHost::makeReport(*host, 0));
    }
    EXPECT_EQ(texts[0], texts[1]);
    EXPECT_EQ(texts[0].back(), '\n');
    EXPECT_EQ(texts[0].substr(0, 16), "{\n  \"result\": 0,");
}

TEST(Report, NamesWhatThePluginStillHoldsAndMisused) {
    auto host = makeHost();
    auto context = contextAs<Host::IHostContext>(*host);
    Host::IProject* project = nullptr;
    context->getProject(&project);
    project->getRoot(0, nullptr);
    context.reset();
    const auto refs = RefHost::makeReport(*host, 1)["references"];
    EXPECT_EQ(refs.dump(),
              R"({"held":1,"overReleased":0,"misuses":1,)"
              R"("firstMisuse":"IProject::getRoot on project: null out pointer",)"
              R"("details":{"held":[{"facet":"IProject of project","count":1}],"overReleased":[],)"
              R"("misuses":["IProject::getRoot on project: null out pointer"]}})");
    project->release();
}

TEST(Report, AlikeNotesShareOneLineOfTheSummary) {
    const std::vector<RefHost::DiagnosticNote> notes = {
        {Host::kNotePadsNotBuilt, 2, "pads"},
        {Host::kNoteEffectNotBuilt, -1, "master: reverb"},
        {Host::kNotePadsNotBuilt, 1, "pads"},
        {Host::kNoteEffectNotBuilt, -1, "master: reverb"},
        {Host::kNotePadsNotBuilt, 2, "pads"},
        {Host::kNoteValueReplaced, 3, "pads"},
    };
    EXPECT_EQ(RefHost::groupedNoteLines(notes),
              (std::vector<std::string>{"tracks 1, 2: pads (3 times)", "master: reverb (2 times)",
                                        "track 3: pads"}));
}

}  // namespace

TEST(Report, AFailureLineNamesWhatTheFilterKnowsOfItsPlace) {
    const RefHost::DiagnosticFailure inChunk{"TREG audio sub chunk size too short", "TREG", 7, 1234};
    EXPECT_EQ(inChunk.line(), "TREG chunk #7 at byte 1234: TREG audio sub chunk size too short");
    const RefHost::DiagnosticFailure outside{"Wrong magic number.", "", -1, 0};
    EXPECT_EQ(outside.line(), "at byte 0: Wrong magic number.");
    const RefHost::DiagnosticFailure unread{"the file cannot be opened", "", -1, -1};
    EXPECT_EQ(unread.line(), "the file cannot be opened");
}
