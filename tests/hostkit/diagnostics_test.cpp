// The notes of an import and the place of its failure, as the module keeps them.
#include <gtest/gtest.h>

#include <string>

#include "hostkit/diagnostics.h"

using namespace Tessaro;

TEST(Diagnostics, NotesBeyondTheLimitAreCountedInOne) {
    ImportNotes notes;
    for (std::size_t i = 0; i < ImportNotes::kMostNotes + 3; ++i)
        notes.add(Host::kNotePadsNotBuilt, 1, "pads");
    const auto list = notes.list();
    ASSERT_EQ(list.size(), 1001u);
    EXPECT_EQ(list[999], (ImportNote{Host::kNotePadsNotBuilt, 1, "pads"}));
    EXPECT_EQ(list[1000], (ImportNote{Host::kNoteMoreNotes, -1, "3 more notes, not kept one by one"}));
    EXPECT_EQ(notes.size(), 1001u);
    notes.clear();
    EXPECT_EQ(notes.size(), 0u);
}

TEST(Diagnostics, ANameFromTheFileIsCutAndMadePrintable) {
    EXPECT_EQ(noteText(std::u16string(u"vocals\n\0.wav", 12)), "vocals??.wav");
    // 199 letters and a character of two units: the pair is not cut in half.
    const std::u16string longName = std::u16string(199, u'a') + u"\U0001F3B5" + u"tail";
    EXPECT_EQ(noteText(longName), std::string(199, 'a') + "...");
    EXPECT_EQ(noteText(std::u16string(200, u'b')), std::string(200, 'b'));
    // Cut behind a plain unit, or behind the second unit of a pair: nothing more goes.
    EXPECT_EQ(noteText(std::u16string(201, u'b')), std::string(200, 'b') + "...");
    const std::u16string pairAtTheCut = std::u16string(198, u'a') + u"🎵" + u"tail";
    EXPECT_EQ(noteText(pairAtTheCut), std::string(198, 'a') + "\xF0\x9F\x8E\xB5...");
    EXPECT_EQ(noteText(std::u16string(199, u'a') + u"\uE000z"),
              std::string(199, 'a') + "\xEE\x80\x80...");
    EXPECT_EQ(noteText(u"del\x7F"), "del?");
}

TEST(Diagnostics, NotesAndFailuresDifferInEveryField) {
    const ImportNote note{Host::kNoteEffectNotBuilt, 1, "reverb"};
    EXPECT_EQ(note, (ImportNote{Host::kNoteEffectNotBuilt, 1, "reverb"}));
    EXPECT_NE(note, (ImportNote{Host::kNotePadsNotBuilt, 1, "reverb"}));
    EXPECT_NE(note, (ImportNote{Host::kNoteEffectNotBuilt, 2, "reverb"}));
    EXPECT_NE(note, (ImportNote{Host::kNoteEffectNotBuilt, 1, "delay"}));
    const ImportFailure failure{"TREG audio sub chunk size too short", "TREG", 7, 1234};
    EXPECT_EQ(failure, (ImportFailure{"TREG audio sub chunk size too short", "TREG", 7, 1234}));
    EXPECT_NE(failure, (ImportFailure{"other", "TREG", 7, 1234}));
    EXPECT_NE(failure, (ImportFailure{"TREG audio sub chunk size too short", "TINF", 7, 1234}));
    EXPECT_NE(failure, (ImportFailure{"TREG audio sub chunk size too short", "TREG", 8, 1234}));
    EXPECT_NE(failure, (ImportFailure{"TREG audio sub chunk size too short", "TREG", 7, 1235}));
    EXPECT_EQ(ImportFailure::beforeReading("no host"), (ImportFailure{"no host", "", -1, -1}));
    EXPECT_EQ(failure.line(), "TREG chunk #7 at byte 1234: TREG audio sub chunk size too short");
    EXPECT_EQ(ImportFailure::beforeReading("no host").line(), "no host");
}

TEST(Diagnostics, ATrackNumberANoteCannotHoldCountsAsNone) {
    ImportNotes notes;
    notes.add(Host::kNoteEffectNotBuilt, 7, "seven");
    notes.add(Host::kNoteEffectNotBuilt, std::int64_t{1} << 40, "too large");
    notes.add(Host::kNoteEffectNotBuilt, -5, "below");
    const auto list = notes.list();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].track, 7);
    EXPECT_EQ(list[1].track, -1);
    EXPECT_EQ(list[2].track, -1);
}
