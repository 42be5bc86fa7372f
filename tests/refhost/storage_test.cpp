// The reference host's storage: objects go newest first, a node's kinds, and what the
// parameters of many channels share instead of copying.
#include <gtest/gtest.h>

#include <set>

#include "refhost/instruments.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

// An object that writes its number into a log when it goes.
class Witness : public RefHost::Object {
public:
    Witness(RefHost::ReferenceHost& host, std::vector<int>& log, int number)
        : Object(host), log_(log), number_(number) {}
    ~Witness() override { log_.push_back(number_); }
    std::string describe() const override { return "witness " + std::to_string(number_); }

private:
    std::vector<int>& log_;
    int number_;
};

TEST(Storage, TheHostDestroysItsObjectsNewestFirst) {
    std::vector<int> log;
    {
        auto host = makeHost();
        auto factory = queryTo<Host::IObjectFactory>(projectOf(*host));
        for (int number = 1; number <= 3; ++number) {
            host->make<Witness>(log, number);
            // Events between them, in the pool of events.
            for (const char* kind : {"note", "controller", "MIDI part"}) {
                IPtr<Host::FUnknown> event;
                ASSERT_EQ(factory->createObject(kind, event.put()), Host::kResultOk) << kind;
            }
        }
        EXPECT_TRUE(log.empty());
    }
    EXPECT_EQ(log, (std::vector<int>{3, 2, 1}));
}

TEST(Storage, ANodeHasItsKindsAndNoOthers) {
    RefHost::KindSet kinds{"param", "send"};
    EXPECT_TRUE(kinds.contains("param"));
    EXPECT_TRUE(kinds.contains("send"));
    EXPECT_FALSE(kinds.contains("track"));
    EXPECT_FALSE(kinds.contains("a kind no node has"));
    kinds.insert("channel");
    kinds.insert("send");
    const auto names = kinds.names();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{"channel", "param", "send"}));
    EXPECT_EQ(names.size(), 3u);
    EXPECT_TRUE(RefHost::KindSet().names().empty());
}

TEST(Storage, ChannelsShareTheirParametersListsAndNames) {
    auto host = makeHost("ombrel-8.0.1");
    addTrack(*host, "instrument", u"Piano");
    addTrack(*host, "instrument", u"Organ");
    const auto tracks = host->document().tracks();
    ASSERT_EQ(tracks.size(), 2u);
    const auto slotType = [](const RefHost::Node& channel, std::size_t slot) {
        return channel.findChild("Inserts")->children.at(slot)->findParameter("effectType");
    };
    const RefHost::Parameter* first = slotType(*tracks[0].node->channel, 0);
    const RefHost::Parameter* other = slotType(*tracks[1].node->channel, 7);
    ASSERT_TRUE(first && other);
    EXPECT_EQ(&first->entries, &host->profile().list("insertEffects"));
    EXPECT_EQ(&other->entries, &first->entries);
    EXPECT_EQ(&other->name, &first->name);
    EXPECT_EQ(first->name, "effectType");
    ASSERT_EQ(first->entries.size(), 14u);
    EXPECT_EQ(first->entries[7].name, u"Dynamics - Compressor");
    // The instrument slots offer one list joined from the profile's lists, kept once.
    const auto instrumentType = [](const RefHost::Node& channel) {
        return RefHost::instrumentSlotOf(channel)->findParameter("effectType");
    };
    const auto& joined = instrumentType(*tracks[0].node->channel)->entries;
    EXPECT_EQ(&instrumentType(*tracks[1].node->channel)->entries, &joined);
    ASSERT_EQ(joined.size(), 5u);
    EXPECT_EQ(joined[4].name, u"Sampler - Miravox");
    EXPECT_EQ(joined[4].value, 4);
}

}  // namespace
