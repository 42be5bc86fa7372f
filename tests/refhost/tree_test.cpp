// The project's track tree: object creation, insertion, the depth-first walk through
// folders, names, colours and typed attributes.
#include <gtest/gtest.h>

#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

// The walk a plug-in makes: the children of a tree, and below each folder its sub-tree.
void walk(Host::IObjectTree* tree, int depth, std::vector<std::string>& out) {
    IPtr<Host::IObjectIterator> children;
    if (tree->getChildren(children.put()) != Host::kResultOk) return;
    while (!children->atEnd()) {
        IPtr<Host::IProjectObject> object;
        ASSERT_EQ(children->next(object.put()), Host::kResultOk);
        std::string kinds;
        for (const char* kind : {"track", "instrument", "audio", "effect", "folder"})
            if (object->isKind(kind)) kinds += std::string(kinds.empty() ? "" : ",") + kind;
        out.push_back(std::string(static_cast<std::size_t>(2 * depth), ' ') + nameOf(object.get()) +
                      " [" + kinds + "]");
        IPtr<Host::IObjectTree> sub;
        if (tree->getSubTree(object.get(), sub.put()) == Host::kResultOk) walk(sub.get(), depth + 1, out);
    }
}

TEST(Tree, WalksDepthFirstThroughFolders) {
    auto host = makeHost();
    RefHost::Document& document = host->document();
    auto drums = addTrack(*host, "audio", u"Drums");
    // Folders are the host's own; the plug-in inserts into them through the edit context.
    RefHost::Node& band = document.createFolder(u"Band");
    ASSERT_EQ(document.insertTrack(document.trackRoot, band), "");
    RefHost::Node& strings = document.createFolder(u"Strings");
    ASSERT_EQ(document.insertTrack(band, strings), "");
    RefHost::Node& empty = document.createFolder(u"Empty");
    ASSERT_EQ(document.insertTrack(document.trackRoot, empty), "");

    auto bandObject = IPtr<Host::IProjectObject>::adopt(static_cast<Host::IProjectObject*>(
        host->account().acquire(band, Host::IProjectObject::iid)->unknown()));
    auto stringsObject = IPtr<Host::IProjectObject>::adopt(static_cast<Host::IProjectObject*>(
        host->account().acquire(strings, Host::IProjectObject::iid)->unknown()));
    addTrack(*host, "instrument", u"Piano", bandObject.get());
    addTrack(*host, "instrument", u"Violin", stringsObject.get());
    addTrack(*host, "audio", u"Cello", stringsObject.get());
    addTrack(*host, "FX Channel", u"Bus 1");

    IPtr<Host::IObjectTree> root;
    ASSERT_EQ(projectOf(*host)->getRoot(0, root.put()), Host::kResultOk);
    std::vector<std::string> seen;
    walk(root.get(), 0, seen);
    const std::vector<std::string> expected = {
        "Drums [track,audio]",       "Band [track,folder]",        "  Strings [track,folder]",
        "    Violin [track,instrument]", "    Cello [track,audio]", "  Piano [track,instrument]",
        "Empty [track,folder]",      "Bus 1 [track,effect]",
    };
    EXPECT_EQ(seen, expected);

    // The report lists the tracks in the same order, with their depth.
    const auto report = RefHost::makeReport(*host, std::nullopt);
    std::vector<std::string> listed;
    for (const auto& t : report["tracks"])
        listed.push_back(std::string(2 * t["depth"].get<std::size_t>(), ' ') +
                         t["name"].get<std::string>());
    EXPECT_EQ(listed, (std::vector<std::string>{"Drums", "Band", "  Strings", "    Violin",
                                                "    Cello", "  Piano", "Empty", "Bus 1"}));

    bandObject.reset();
    stringsObject.reset();
    drums.reset();
    root.reset();
    EXPECT_TRUE(host->account().findings().clean()) << host->account().findings().firstMisuse();
}

TEST(Tree, TracksHaveNoSubTreeAndAnEmptyTreeNoChildren) {
    auto host = makeHost();
    IPtr<Host::IObjectTree> root;
    projectOf(*host)->getRoot(0, root.put());
    IPtr<Host::IObjectIterator> children;
    EXPECT_EQ(root->getChildren(children.put()), Host::kResultFalse);
    EXPECT_FALSE(children);

    auto piano = addTrack(*host, "instrument", u"Piano");
    IPtr<Host::IObjectTree> sub;
    EXPECT_EQ(root->getSubTree(piano.get(), sub.put()), Host::kResultFalse);
    EXPECT_FALSE(sub);
    IPtr<Host::IObjectTree> other;
    EXPECT_EQ(projectOf(*host)->getRoot(1, other.put()), Host::kInvalidArgument);
    EXPECT_EQ(host->account().findings().misuseCount, 0u);
}

TEST(Tree, TheFactoryMakesTracksWithChannelsThatJoinTheMixerOnInsertion) {
    auto host = makeHost("ombrel-8.0.1");
    auto factory = queryTo<Host::IObjectFactory>(projectOf(*host));
    IPtr<Host::FUnknown> loose;
    ASSERT_EQ(factory->createObject("audio", loose.put()), Host::kResultOk);
    // Not yet inserted: the track has its channel, the mixer does not list it.
    EXPECT_TRUE(queryTo<Host::IChannel>(loose));
    EXPECT_EQ(host->document().channels.children.size(), 1u);

    addTrack(*host, "audio", u"Guitar");
    addTrack(*host, "FX Channel", u"Bus 1");
    addTrack(*host, "instrument", u"Piano");
    addTrack(*host, "FX Channel", u"Bus 2");

    // Effect channels stand first, the newest at the front; then the track channels in
    // the order made; then the outputs.
    std::vector<std::string> channels;
    for (const RefHost::Node* c : host->document().channels.children)
        channels.push_back(c->deviceType + " " + c->shownName8() + (c->trackChannel ? "" : " (output)"));
    EXPECT_EQ(channels, (std::vector<std::string>{"FxChannel Bus 2", "FxChannel Bus 1",
                                                  "AudioChannel Guitar", "Synth Piano",
                                                  "Output Stereo Out (output)"}));

    // Kinds the factory does not make yet, and none at all.
    IPtr<Host::FUnknown> none;
    EXPECT_EQ(factory->createObject("note", none.put()), Host::kNotImplemented);
    EXPECT_FALSE(none);
    EXPECT_TRUE(host->account().findings().misuses.empty());
}

TEST(Tree, NamesAndColoursAreSetThroughTheProjectObject) {
    auto host = makeHost();
    auto project = projectOf(*host);
    auto edit = contextAs<Host::IEditContext>(*host);
    auto track = addTrack(*host, "instrument", u"Piano");
    EXPECT_EQ(track->setColor(project.get(), 0xFF336699u, edit.get()), Host::kResultOk);
    EXPECT_EQ(track->setName(project.get(), u"Grand \u00e9", edit.get()), Host::kResultOk);
    EXPECT_EQ(nameOf(track.get()), "Grand \u00e9");

    // A short buffer gets the name cut and terminated.
    char16_t small[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(track->getName(small, 4), Host::kResultOk);
    EXPECT_EQ(std::u16string(small), u"Gra");

    const auto report = RefHost::makeReport(*host, std::nullopt);
    EXPECT_EQ(report["tracks"][0]["colour"], "0xFF336699");
    EXPECT_EQ(report["tracks"][0]["kind"], "instrument");
    // The channel shows its track's name.
    IPtr<Host::IParamNode> root;
    queryTo<Host::IChannel>(track)->getParamRoot(root.put());
    EXPECT_EQ(nameOf(root.get()), "Grand \u00e9");
}

// --- Attributes ----------------------------------------------------------------------

TEST(Attributes, KeepTheirTypeAndAnswerOnlyTheirOwnGetter) {
    auto host = makeHost();
    auto track = addTrack(*host, "audio", u"Drums");
    IPtr<Host::IAttributeList> list;
    ASSERT_EQ(queryTo<Host::ITrack>(track)->getAttributes(list.put()), Host::kResultOk);

    ASSERT_EQ(list->setInt("cinr", 3, 1), Host::kResultOk);
    ASSERT_EQ(list->setFloat("trVo", 80.5, 1), Host::kResultOk);
    ASSERT_EQ(list->setString("trNa", u"Drums", 1), Host::kResultOk);

    struct Case {
        const char* key;
        Host::int32 type;
        bool isInt, isFloat, isString;
    };
    const Case cases[] = {
        {"cinr", Host::IAttributeList::kInteger, true, false, false},
        {"trVo", Host::IAttributeList::kFloat, false, true, false},
        {"trNa", Host::IAttributeList::kString16, false, false, true},
        {"ciid", 0, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(list->getType(c.key), c.type);
        EXPECT_EQ(list->hasAttribute(c.key), c.type ? Host::kResultOk : Host::kResultFalse);
        Host::int64 i = -1;
        double f = -1;
        char16_t s[16] = {u'?', 0};
        EXPECT_EQ(list->getInt(c.key, &i), c.isInt ? Host::kResultOk : Host::kResultFalse);
        EXPECT_EQ(list->getFloat(c.key, &f), c.isFloat ? Host::kResultOk : Host::kResultFalse);
        EXPECT_EQ(list->getString(c.key, s, 16), c.isString ? Host::kResultOk : Host::kResultFalse);
        // A getter of another type writes nothing.
        EXPECT_EQ(i, c.isInt ? 3 : -1);
        EXPECT_EQ(f, c.isFloat ? 80.5 : -1.0);
        EXPECT_EQ(std::u16string(s), c.isString ? u"Drums" : u"?");
    }

    // A value of another type replaces the old one.
    ASSERT_EQ(list->setFloat("cinr", 2.5, 0), Host::kResultOk);
    EXPECT_EQ(list->getType("cinr"), Host::IAttributeList::kFloat);
    Host::int64 gone = 0;
    EXPECT_EQ(list->getInt("cinr", &gone), Host::kResultFalse);

    // The report lists them by key, with their types.
    const auto attributes = RefHost::makeReport(*host, std::nullopt)["tracks"][0]["attributes"];
    EXPECT_EQ(attributes.dump(),
              R"({"cinr":{"type":"float","value":2.5},"trNa":{"type":"string","value":"Drums"},)"
              R"("trVo":{"type":"float","value":80.5}})");
    EXPECT_EQ(host->account().findings().misuseCount, 0u);
}

TEST(Attributes, SetNameRenamesTheTrackAndBadKeysAreMisuses) {
    auto host = makeHost();
    auto project = projectOf(*host);
    auto edit = contextAs<Host::IEditContext>(*host);
    auto track = addTrack(*host, "FX Channel", u"FX");
    auto list = [&] {
        IPtr<Host::IAttributeList> l;
        queryTo<Host::ITrack>(track)->getAttributes(l.put());
        return l;
    }();
    EXPECT_EQ(list->setName(project.get(), u"Bus 1", edit.get()), Host::kResultOk);
    EXPECT_EQ(nameOf(track.get()), "Bus 1");

    EXPECT_EQ(list->setInt(nullptr, 1, 1), Host::kInvalidArgument);
    EXPECT_EQ(list->setInt("", 1, 1), Host::kInvalidArgument);
    EXPECT_EQ(list->getInt("cinr", nullptr), Host::kInvalidArgument);
    const auto found = host->account().findings();
    ASSERT_EQ(found.misuses.size(), 3u);
    EXPECT_EQ(found.misuses[0], "IAttributeList::setInt on effect track \"Bus 1\": null key");
    EXPECT_EQ(found.misuses[1], "IAttributeList::setInt on effect track \"Bus 1\": empty key");
    EXPECT_EQ(found.misuses[2], "IAttributeList::getInt on effect track \"Bus 1\": null out pointer");
}

}  // namespace
