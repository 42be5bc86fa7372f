// The reference host's storage: objects go newest first, a node's kinds, and what the
// parameters of many channels share instead of copying.
#include <gtest/gtest.h>

#include <set>
#include <thread>

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

TEST(Storage, KindsNamedFromManyThreadsAtOnceGetOneNumberEach) {
    // Imports on several threads number new kinds at the same time as they look known ones
    // up; each name must end with one number, which every thread's sets agree on.
    constexpr int kThreads = 4;
    constexpr int kNames = 16;
    std::vector<std::vector<RefHost::KindSet>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&made, t] {
            for (int n = 0; n < kNames; ++n) {
                const std::string name = "threaded kind " + std::to_string((n + t) % kNames);
                made[static_cast<std::size_t>(t)].push_back(RefHost::KindSet{name, "param"});
                EXPECT_TRUE(made[static_cast<std::size_t>(t)].back().contains(name));
            }
        });
    for (auto& thread : threads) thread.join();
    for (int n = 0; n < kNames; ++n) {
        const std::string name = "threaded kind " + std::to_string(n);
        const RefHost::KindSet one{name};
        for (int t = 0; t < kThreads; ++t) {
            const RefHost::KindSet& set =
                made[static_cast<std::size_t>(t)][static_cast<std::size_t>((n - t + kNames) % kNames)];
            EXPECT_TRUE(set.containsAll(one)) << name << " on thread " << t;
            EXPECT_EQ(set.names().size(), 2u);
        }
    }
    const RefHost::KindSet param{"param"}, send{"send"}, both{"param", "send"};
    EXPECT_FALSE(param.containsAll(both));
    EXPECT_TRUE(both.containsAll(send));
}

TEST(Storage, AChildIsFoundByItsNameAsShown) {
    auto host = makeHost();
    auto& parent = host->make<RefHost::Node>(RefHost::KindSet{"param"}, u"Parent");
    for (const char16_t* name : {u"EQ", u"EQ 2", u"\u00C9galiseur", u"Sends", u""})
        parent.append(host->make<RefHost::Node>(RefHost::KindSet{"param"}, name));
    const struct {
        const char* name;
        const char16_t* found;  // null: none
    } cases[] = {{"EQ", u"EQ"},          {"EQ 2", u"EQ 2"},   {"E", nullptr},
                 {"EQ 23", nullptr},     {"eq", nullptr},     {"\xC3\x89galiseur", u"\u00C9galiseur"},
                 {"Egaliseur", nullptr}, {"", u""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RefHost::Node* child = parent.findChild(c.name);
        EXPECT_EQ(child ? child->name : u"(none)", c.found ? c.found : u"(none)");
    }
    // A name with a zero unit in it is not the name before the zero.
    EXPECT_EQ(parent.findChild(std::string_view("Sends\0", 6)), nullptr);
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
