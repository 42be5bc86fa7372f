// The account of references: what a plug-in still holds, what it released too often, and
// the first call that broke the contract.
#include <gtest/gtest.h>

#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"
#include "tests/support/test_streams.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

TEST(Account, ListsEveryReferenceThePluginStillHolds) {
    auto host = makeHost();
    auto context = contextAs<Host::IHostContext>(*host);
    Host::IProject* project = nullptr;
    ASSERT_EQ(context->getProject(&project), Host::kResultOk);
    project->addRef();

    auto found = host->account().findings();
    EXPECT_EQ(found.held, 3u);
    ASSERT_EQ(found.heldDetails.size(), 2u);
    EXPECT_EQ(found.heldDetails[0].facet, "IHostContext of host context");
    EXPECT_EQ(found.heldDetails[0].count, 1u);
    EXPECT_EQ(found.heldDetails[1].facet, "IProject of project");
    EXPECT_EQ(found.heldDetails[1].count, 2u);
    EXPECT_FALSE(found.clean());

    project->release();
    project->release();
    context.reset();
    found = host->account().findings();
    EXPECT_EQ(found.held, 0u);
    EXPECT_TRUE(found.clean());
}

TEST(Account, AReleaseTooManyIsCountedAndTheFacetStaysAZombie) {
    auto host = makeHost();
    auto context = contextAs<Host::IHostContext>(*host);
    Host::IProject* project = nullptr;
    context->getProject(&project);
    EXPECT_EQ(project->release(), 0u);
    EXPECT_EQ(project->release(), 0u);  // one too many: the memory stays valid

    // A call on the released facet is recorded, not carried out.
    EXPECT_EQ(project->setLength(100), Host::kInvalidArgument);
    EXPECT_FALSE(host->document().song.length.has_value());

    const auto found = host->account().findings();
    EXPECT_EQ(found.held, 1u);  // the context
    EXPECT_EQ(found.overReleased, 1u);
    ASSERT_EQ(found.overReleaseDetails.size(), 1u);
    EXPECT_EQ(found.overReleaseDetails[0].facet, "IProject of project");
    ASSERT_EQ(found.misuseCount, 2u);
    EXPECT_EQ(found.firstMisuse(),
              "IProject::release on project: released again after its last reference");
    EXPECT_EQ(found.misuses[1],
              "IProject::setLength on project: called after the last reference was released");
}

TEST(Account, AskingAgainAfterTheLastReleaseGivesANewFacet) {
    auto host = makeHost();
    auto context = contextAs<Host::IHostContext>(*host);
    Host::IProject* first = nullptr;
    context->getProject(&first);
    Host::IProject* again = nullptr;
    context->getProject(&again);
    EXPECT_EQ(first, again);  // alive: the same facet, two references
    first->release();
    again->release();

    IPtr<Host::IProject> fresh;
    context->getProject(fresh.put());
    EXPECT_NE(fresh.get(), first);
    EXPECT_EQ(fresh->setLength(7), Host::kResultOk);
    EXPECT_EQ(host->document().song.length, 7.0);
    // The old pointer is still a released facet.
    EXPECT_EQ(first->setLength(8), Host::kInvalidArgument);
    EXPECT_EQ(host->document().song.length, 7.0);
    EXPECT_EQ(host->account().findings().misuseCount, 1u);
}

TEST(Account, ALentObjectStaysUsableAtCountZeroButCannotBeReleasedBelowIt) {
    auto host = makeHost();
    Host::FUnknown* context = host->lendContext();
    EXPECT_EQ(context->addRef(), 1u);
    EXPECT_EQ(context->release(), 0u);
    // Still the host's: usable.
    IPtr<Host::IHostContext> again = queryTo<Host::IHostContext>(context);
    EXPECT_TRUE(again);
    again.reset();
    EXPECT_TRUE(host->account().findings().clean());

    EXPECT_EQ(context->release(), 0u);
    const auto found = host->account().findings();
    EXPECT_EQ(found.overReleased, 1u);
    EXPECT_EQ(found.firstMisuse(),
              "IHostContext::release on host context: released without a reference to it");
}

TEST(Account, QueryInterfaceAnswersOnlyWhatTheObjectIs) {
    auto host = makeHost();
    auto project = projectOf(*host);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(project->queryInterface(Host::ITrack::iid, &out), Host::kNoInterface);
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(queryTo<Host::IObjectFactory>(project));
    EXPECT_TRUE(queryTo<Host::IImportTarget>(project));
    // FUnknown answers with the object's first interface.
    auto unknown = queryTo<Host::FUnknown>(project);
    EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(project.get()));
    EXPECT_EQ(project->queryInterface(Host::IProject::iid, nullptr), Host::kInvalidArgument);
    EXPECT_EQ(host->account().findings().firstMisuse(),
              "IProject::queryInterface on project: null out pointer");
}

TEST(Account, ArgumentsOfTheWrongKindAreMisuses) {
    auto host = makeHost();
    auto project = projectOf(*host);
    auto edit = contextAs<Host::IEditContext>(*host);
    auto track = addTrack(*host, "audio", u"Drums");
    ASSERT_TRUE(track);
    auto trackIface = queryTo<Host::ITrack>(track);
    BufferStream foreign(std::vector<std::uint8_t>{});

    struct Case {
        const char* name;
        std::function<Host::tresult()> call;
        std::string misuse;
    };
    const Case cases[] = {
        {"foreign object", [&] { return edit->insertObject(project.get(), &foreign); },
         "IEditContext::insertObject on host context: object is not an object of this host"},
        {"track as container",
         [&] {
             IPtr<Host::FUnknown> other;
             queryTo<Host::IObjectFactory>(project)->createObject("audio", other.put());
             return edit->insertObject(track.get(), other.get());
         },
         "IEditContext::insertObject on host context: the container audio track \"Drums\" is "
         "not the project, a folder or an event list"},
        {"inserted twice", [&] { return edit->insertObject(project.get(), track.get()); },
         "IEditContext::insertObject on host context: the track is in the project already: "
         "audio track \"Drums\""},
        {"ITrack where IProjectObject is due",
         [&] {
             IPtr<Host::IObjectTree> root;
             project->getRoot(0, root.put());
             IPtr<Host::IObjectTree> sub;
             return root->getSubTree(reinterpret_cast<Host::IProjectObject*>(trackIface.get()),
                                     sub.put());
         },
         "IObjectTree::getSubTree on track tree: object is the wrong interface: ITrack of audio "
         "track \"Drums\""},
        {"unknown kind",
         [&] {
             IPtr<Host::FUnknown> object;
             return queryTo<Host::IObjectFactory>(project)->createObject("banjo", object.put());
         },
         "IObjectFactory::createObject on project: unknown kind \"banjo\""},
        {"edit context that is not one",
         [&] { return track->setName(project.get(), u"X", reinterpret_cast<Host::IEditContext*>(
                                                               project.get())); },
         "IProjectObject::setName on audio track \"Drums\": edit context is the wrong interface: "
         "IProject of project"},
    };
    std::size_t expected = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), Host::kInvalidArgument);
        const auto found = host->account().findings();
        ASSERT_EQ(found.misuseCount, ++expected);
        EXPECT_EQ(found.misuses.back(), c.misuse);
    }
    EXPECT_EQ(foreign.count(), 1u);
}

TEST(Account, KeepsTheFirstMisusesWordForWordAndCountsTheRest) {
    auto host = makeHost();
    auto project = projectOf(*host);
    for (int i = 0; i < 150; ++i) project->getRoot(0, nullptr);
    const auto found = host->account().findings();
    EXPECT_EQ(found.misuseCount, 150u);
    EXPECT_EQ(found.misuses.size(), RefHost::Account::kMaxMisuses);
    EXPECT_EQ(found.firstMisuse(), "IProject::getRoot on project: null out pointer");
}

}  // namespace

TEST(Account, AnEventsFacetsStayCallableAfterTheirLastReleaseAndAreThenReplaced) {
    auto host = makeHost();
    auto project = projectOf(*host);
    auto factory = queryTo<Host::IObjectFactory>(project);
    auto edit = contextAs<Host::IEditContext>(*host);
    auto track = addTrack(*host, "instrument", u"Piano");
    IPtr<Host::IEventList> trackList;
    queryTo<Host::ITrack>(track)->getEventList(trackList.put());
    trackList->prepare(Host::IEventList::kMidi);
    IPtr<Host::FUnknown> part;
    factory->createObject("MIDI part", part.put());
    edit->insertObject(trackList.get(), part.get());
    IPtr<Host::IEventList> list;
    queryTo<Host::IMidiPart>(part)->getEventList(list.put());
    Host::IEvent* first = nullptr;
    factory->createObject("note", reinterpret_cast<Host::FUnknown**>(&first));
    edit->insertObject(list.get(), first);
    auto pitch = queryTo<Host::INoteEvent>(first);

    // The last reference goes: the facet stays, a call on it is a misuse and changes nothing.
    EXPECT_EQ(first->release(), 0u);
    EXPECT_EQ(first->setStart(list.get(), 1.0, edit.get()), Host::kInvalidArgument);
    EXPECT_EQ(host->account().findings().firstMisuse(),
              "IEvent::setStart on note event in event list of MIDI part \"MIDI part\": called "
              "after the last reference was released");
    // Asked again, the note answers with a new facet; the old one stays what it was.
    auto again = queryTo<Host::IEvent>(pitch);
    ASSERT_TRUE(again);
    EXPECT_NE(again.get(), first);
    EXPECT_EQ(again->setStart(list.get(), 2.0, edit.get()), Host::kResultOk);
    EXPECT_EQ(pitch->setPitch(list.get(), 60, edit.get()), Host::kResultOk);
    EXPECT_TRUE(host->account().find(first)->released());
    EXPECT_FALSE(host->account().find(again.get())->released());
    EXPECT_EQ(first->release(), 0u);

    const auto found = host->account().findings();
    EXPECT_EQ(found.misuseCount, 2u);
    ASSERT_EQ(found.overReleaseDetails.size(), 1u);
    EXPECT_EQ(found.overReleaseDetails[0].facet,
              "IEvent of note event in event list of MIDI part \"MIDI part\"");
    const auto& note = static_cast<const RefHost::EventObject&>(host->account().find(first)->object());
    EXPECT_EQ(note.start, 2.0);
    EXPECT_EQ(note.pitch(), 60);
}

TEST(Account, TheExpectedObjectsReleasedFacetIsStillAReleasedFacet) {
    // A setter compares the list and edit context it gets with the facets of the list that
    // holds the event and of the host context first: a released one of those is a misuse.
    auto host = makeHost();
    auto factory = queryTo<Host::IObjectFactory>(projectOf(*host));
    auto edit = contextAs<Host::IEditContext>(*host);
    auto track = addTrack(*host, "audio", u"Drums");
    Host::IEventList* list = nullptr;
    queryTo<Host::ITrack>(track)->getEventList(&list);
    list->prepare(Host::IEventList::kAudio);
    IPtr<Host::IEvent> event;
    factory->createObject("audio event", reinterpret_cast<Host::FUnknown**>(event.put()));
    ASSERT_EQ(edit->insertObject(list, event.get()), Host::kResultOk);
    Host::IEditContext* oldEdit = nullptr;
    edit->queryInterface(Host::IEditContext::iid, reinterpret_cast<void**>(&oldEdit));
    oldEdit->release();
    edit.reset();  // the last reference: the edit context's facet is released
    auto freshEdit = contextAs<Host::IEditContext>(*host);
    ASSERT_NE(freshEdit.get(), oldEdit);

    EXPECT_EQ(event->setStart(list, 1.0, oldEdit), Host::kInvalidArgument);
    list->release();  // the list's facet is released too
    EXPECT_EQ(event->setLength(list, 1.0, freshEdit.get()), Host::kInvalidArgument);
    const auto found = host->account().findings();
    ASSERT_EQ(found.misuseCount, 2u);
    EXPECT_EQ(found.misuses[0],
              "IEvent::setStart on audio event event in event list of audio track \"Drums\": edit "
              "context was released: IEditContext of host context");
    EXPECT_EQ(found.misuses[1],
              "IEvent::setLength on audio event event in event list of audio track \"Drums\": "
              "event list was released: IEventList of event list of audio track \"Drums\"");
}

TEST(Account, FindsEveryFacetByItsStartAcrossChunksAndNothingElse) {
    // Enough notes to fill several of the host's chunks of events (facets they hold), and
    // enough MIDI parts to grow the account's table of the facets it owns several times.
    const struct {
        const char* kind;
        std::size_t count;
    } cases[] = {{"note", 60000}, {"MIDI part", 20000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        auto host = makeHost();
        auto factory = queryTo<Host::IObjectFactory>(projectOf(*host));
        std::vector<IPtr<Host::FUnknown>> made(c.count);
        for (auto& object : made) ASSERT_EQ(factory->createObject(c.kind, object.put()), Host::kResultOk);

        const int local = 0;
        const auto heap = std::make_unique<std::uint64_t[]>(8);
        const RefHost::Account& account = host->account();
        EXPECT_EQ(account.find(&local), nullptr);
        EXPECT_EQ(account.find(heap.get()), nullptr);
        EXPECT_EQ(account.find(nullptr), nullptr);
        for (const auto& object : made) {
            const RefHost::FacetBase* facet = account.find(object.get());
            ASSERT_NE(facet, nullptr);
            ASSERT_EQ(static_cast<const void*>(const_cast<RefHost::FacetBase*>(facet)->unknown()),
                      static_cast<const void*>(object.get()));
            // A pointer into a facet is not a facet.
            const auto* bytes = reinterpret_cast<const std::byte*>(object.get());
            for (const std::size_t inside : {8u, 16u, 32u}) ASSERT_EQ(account.find(bytes + inside), nullptr);
        }
        EXPECT_EQ(account.findings().held, c.count + 1);  // and the factory
        made.clear();
        factory.reset();
        EXPECT_TRUE(account.findings().clean());
    }
}

namespace {

// A track that counts how often the host told it the plug-in let go of it (what a converting
// source or a writer gives its file back on).
class ProbeTrack : public RefHost::Node {
public:
    explicit ProbeTrack(RefHost::ReferenceHost& host) : Node(host, {"track"}, u"Probe") {}
    void lastReferenceReleased() override { ++letGo; }
    int letGo = 0;
};

}  // namespace

TEST(Account, AnObjectIsLetGoOfWithTheLastOfItsInterfacesNotWithAnyOne) {
    for (const bool trackFirst : {true, false}) {
        SCOPED_TRACE(trackFirst ? "ITrack released first" : "IAttributeList released first");
        auto host = makeHost();
        auto& probe = host->make<ProbeTrack>();
        Host::FUnknown* track = host->account().acquire(probe, Host::ITrack::iid)->unknown();
        Host::FUnknown* attributes =
            host->account().acquire(probe, Host::IAttributeList::iid)->unknown();
        ASSERT_NE(track, attributes);
        Host::FUnknown* first = trackFirst ? track : attributes;
        Host::FUnknown* second = trackFirst ? attributes : track;
        EXPECT_EQ(first->release(), 0u);
        EXPECT_EQ(probe.letGo, 0);
        // The other interface still works, and asks for the released one anew.
        IPtr<Host::FUnknown> again;
        EXPECT_EQ(second->queryInterface(trackFirst ? Host::ITrack::iid : Host::IAttributeList::iid,
                                         again.putVoid()),
                  Host::kResultOk);
        EXPECT_EQ(second->release(), 0u);
        EXPECT_EQ(probe.letGo, 0);
        again.reset();
        EXPECT_EQ(probe.letGo, 1);
        EXPECT_TRUE(host->account().findings().clean());
    }
}
