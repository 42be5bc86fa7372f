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
    notes.clear();
    EXPECT_EQ(notes.size(), 0u);
}

TEST(Diagnostics, ANameFromTheFileIsCutAndMadePrintable) {
    EXPECT_EQ(noteText(std::u16string(u"vocals\n\0.wav", 12)), "vocals??.wav");
    // 199 letters and a character of two units: the pair is not cut in half.
    const std::u16string longName = std::u16string(199, u'a') + u"\U0001F3B5" + u"tail";
    EXPECT_EQ(noteText(longName), std::string(199, 'a') + "...");
    EXPECT_EQ(noteText(std::u16string(200, u'b')), std::string(200, 'b'));
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
