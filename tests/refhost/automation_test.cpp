// Track automation in the reference host: the automation of a track and its switches,
// automation tracks per kind made on request, their event lists, automation events made
// by the host context and inserted through the edit context; the report of it all; and
// the calls the host refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "refhost/automation.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"

namespace {

using Tessaro::IPtr;
using Tessaro::queryTo;
using namespace TessaroTest;

IPtr<Host::ITrack> trackOf(Host::IProjectObject* object) {
    IPtr<Host::ITrack> track;
    if (object) object->getTrack(track.put());
    return track;
}

IPtr<Host::IAutomation> automationOf(Host::ITrack* track) {
    IPtr<Host::IAutomation> automation;
    if (track) track->getAutomation(automation.put());
    return automation;
}

IPtr<Host::IAutomationTrack> laneOf(Host::IAutomation* automation, Host::int32 kind,
                                    Host::tbool create) {
    IPtr<Host::FUnknown> found;
    automation->getAutomationTrack(kind, create, found.put());
    return queryTo<Host::IAutomationTrack>(found);
}

IPtr<Host::IAutomationEvent> newEvent(RefHost::ReferenceHost& host) {
    IPtr<Host::IAutomationEvent> event;
    contextAs<Host::IHostContext>(host)->createInstance(
        Host::kAutomationEventClass, Host::IAutomationEvent::iid, event.putVoid());
    return event;
}

std::string firstMisuse(RefHost::ReferenceHost& host) {
    return host.account().findings().firstMisuse();
}

TEST(Automation, PointsOnTracksPerKindReachTheReport) {
    auto host = makeHost();
    auto edit = contextAs<Host::IEditContext>(*host);
    auto project = projectOf(*host);
    auto piano = addTrack(*host, "instrument", u"Piano");
    addTrack(*host, "audio", u"Drums");

    auto automation = automationOf(trackOf(piano.get()).get());
    ASSERT_TRUE(automation);
    EXPECT_EQ(automation->setReadEnabled(1), Host::kResultOk);
    EXPECT_EQ(automation->setWriteEnabled(0), Host::kResultOk);
    EXPECT_EQ(automation->setShown(1), Host::kResultOk);

    // Nothing until asked with creation; then the same automation track each time.
    EXPECT_FALSE(laneOf(automation.get(), Host::IAutomationTrack::kPan, 0));
    auto pan = laneOf(automation.get(), Host::IAutomationTrack::kPan, 1);
    auto volume = laneOf(automation.get(), Host::IAutomationTrack::kVolume, 1);
    ASSERT_TRUE(pan && volume);
    EXPECT_EQ(pan->getKind(), Host::IAutomationTrack::kPan);
    EXPECT_EQ(volume->getKind(), Host::IAutomationTrack::kVolume);
    EXPECT_EQ(laneOf(automation.get(), Host::IAutomationTrack::kPan, 0).get(), pan.get());

    IPtr<Host::IEventList> panList;
    IPtr<Host::IEventList> volumeList;
    ASSERT_EQ(project->getAutomationEventList(pan.get(), panList.put()), Host::kResultOk);
    ASSERT_EQ(project->getAutomationEventList(volume.get(), volumeList.put()), Host::kResultOk);
    EXPECT_EQ(panList->prepare(Host::IEventList::kAutomation), Host::kResultOk);

    const struct {
        Host::IEventList* list;
        double value;
        double position;
    } points[] = {{panList.get(), 0.5, 0}, {panList.get(), 1, 960}, {volumeList.get(), 0.25, 480}};
    for (const auto& p : points) {
        auto event = newEvent(*host);
        ASSERT_TRUE(event);
        EXPECT_EQ(edit->insertObject(p.list, event.get()), Host::kResultOk);
        EXPECT_EQ(event->setValue(p.value, edit.get()), Host::kResultOk);
        EXPECT_EQ(event->setFlags(0, edit.get()), Host::kResultOk);
        EXPECT_EQ(event->setPosition(p.position, edit.get()), Host::kResultOk);
    }
    EXPECT_EQ(panList->getCount(), 2);
    EXPECT_EQ(volumeList->getCount(), 1);

    const auto report = RefHost::makeReport(*host, std::nullopt);
    EXPECT_EQ(report["tracks"][0]["automation"],
              RefHost::Report::parse(R"({"read": true, "write": false, "shown": true, "kinds": {
                  "volume": [{"position": 480.0, "value": 0.25, "flags": 0}],
                  "pan": [{"position": 0.0, "value": 0.5, "flags": 0},
                          {"position": 960.0, "value": 1.0, "flags": 0}]}})"));
    // A track whose automation nobody asked for reports none.
    EXPECT_FALSE(report["tracks"][1].contains("automation"));

    automation.reset();
    pan.reset();
    volume.reset();
    panList.reset();
    volumeList.reset();
    piano.reset();
    edit.reset();
    project.reset();
    EXPECT_TRUE(host->account().findings().clean()) << firstMisuse(*host);
}

TEST(Automation, UnsetValuesShowAsNullAndFoldersHaveNoAutomation) {
    auto host = makeHost();
    auto edit = contextAs<Host::IEditContext>(*host);
    auto project = projectOf(*host);
    auto bus = addTrack(*host, "FX Channel", u"Bus 1");
    RefHost::Node& folder = host->document().createFolder(u"Folder");
    ASSERT_EQ(host->document().insertTrack(host->document().trackRoot, folder), "");
    {
        auto folderTrack = IPtr<Host::ITrack>::adopt(static_cast<Host::ITrack*>(
            host->account().acquire(folder, Host::ITrack::iid)->unknown()));
        IPtr<Host::IAutomation> none;
        EXPECT_EQ(folderTrack->getAutomation(none.put()), Host::kResultFalse);
        EXPECT_FALSE(none);
    }
    {
        auto automation = automationOf(trackOf(bus.get()).get());
        auto send = laneOf(automation.get(), Host::IAutomationTrack::kSendLevel, 1);
        IPtr<Host::IEventList> list;
        ASSERT_EQ(project->getAutomationEventList(send.get(), list.put()), Host::kResultOk);
        auto event = newEvent(*host);
        EXPECT_EQ(edit->insertObject(list.get(), event.get()), Host::kResultOk);
    }
    const auto report = RefHost::makeReport(*host, std::nullopt);
    EXPECT_EQ(report["tracks"][0]["automation"],
              RefHost::Report::parse(R"({"read": null, "write": null, "shown": null, "kinds": {
                  "sendLevel": [{"position": null, "value": null, "flags": null}]}})"));
    EXPECT_FALSE(report["tracks"][1].contains("automation"));
    bus.reset();
    edit.reset();
    project.reset();
    EXPECT_TRUE(host->account().findings().clean()) << firstMisuse(*host);
}

TEST(Automation, RefusedCallsAreRecorded) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        // Makes the call; returns its result.
        std::function<Host::tresult(RefHost::ReferenceHost&, Host::IAutomation*,
                                    Host::IEventList*, Host::IAutomationEvent*)>
            call;
        const char* misuse;
    };
    const Case cases[] = {
        {"an unknown kind",
         [](auto&, auto* automation, auto*, auto*) {
             IPtr<Host::FUnknown> none;
             return automation->getAutomationTrack(3, 1, none.put());
         },
         "IAutomation::getAutomationTrack on instrument track \"Piano\": unknown kind 3"},
        {"a NaN value",
         [=](auto& host, auto*, auto*, auto* event) {
             return event->setValue(nan, contextAs<Host::IEditContext>(host).get());
         },
         "IAutomationEvent::setValue on automation event on automation track pan of instrument track "
         "\"Piano\": the value is not a number"},
        {"an infinite position",
         [=](auto& host, auto*, auto*, auto* event) {
             return event->setPosition(inf, contextAs<Host::IEditContext>(host).get());
         },
         "IAutomationEvent::setPosition on automation event on automation track pan of instrument track "
         "\"Piano\": the position is not a finite number"},
        {"an event inserted twice",
         [](auto& host, auto*, auto* list, auto* event) {
             return contextAs<Host::IEditContext>(host)->insertObject(list, event);
         },
         "IEditContext::insertObject on host context: the automation event is in an event "
         "list already: automation event on automation track pan of instrument track \"Piano\""},
        {"a track in an event list",
         [](auto& host, auto*, auto* list, auto*) {
             auto track = addTrack(host, "audio", u"Other");
             return contextAs<Host::IEditContext>(host)->insertObject(list, track.get());
         },
         "IEditContext::insertObject on host context: the object is not an automation event: "
         "audio track \"Other\""},
        {"a list of another kind",
         [](auto&, auto*, auto* list, auto*) { return list->prepare(Host::IEventList::kMidi); },
         "IEventList::prepare on event list of automation track pan of instrument track \"Piano\": an "
         "automation track's list holds automation events (kind 3), not kind 1"},
        {"the list of something else",
         [](auto& host, auto* automation, auto*, auto*) {
             IPtr<Host::IEventList> list;
             return projectOf(host)->getAutomationEventList(
                 reinterpret_cast<Host::IAutomationTrack*>(automation), list.put());
         },
         "IProject::getAutomationEventList on project: automation track is the wrong "
         "interface: IAutomation of instrument track \"Piano\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto host = makeHost();
        auto piano = addTrack(*host, "instrument", u"Piano");
        auto automation = automationOf(trackOf(piano.get()).get());
        auto pan = laneOf(automation.get(), Host::IAutomationTrack::kPan, 1);
        IPtr<Host::IEventList> list;
        ASSERT_EQ(projectOf(*host)->getAutomationEventList(pan.get(), list.put()), Host::kResultOk);
        auto event = newEvent(*host);
        ASSERT_EQ(contextAs<Host::IEditContext>(*host)->insertObject(list.get(), event.get()),
                  Host::kResultOk);
        EXPECT_EQ(c.call(*host, automation.get(), list.get(), event.get()),
                  Host::kInvalidArgument);
        const auto found = host->account().findings();
        EXPECT_EQ(found.misuseCount, 1u);
        EXPECT_EQ(found.firstMisuse(), c.misuse);
    }
}

}  // namespace
