#include "builder/automation.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/iptr.h"
#include "builder/build_driver.h"
#include "hostkit/diagnostics.h"
#include "hostkit/host_session.h"
#include "model/song_model.h"

namespace Tessaro {

namespace {

// The app's volume curve reaches +12 dB, the gain 10^(12/20) = 3.981071706, which the
// host's volume automation takes as 1. The export reads the host's values back with the same
// gain (volumeAutomationGain, interchange/host_units.cpp): the two sides share no header, so
// a change here changes it there.
constexpr double kVolumeAtTop = 3.981071706;
constexpr std::int32_t kTargetsPerTrack = 100;

struct KindOfType {
    std::int32_t type;
    std::int32_t kind;
    const char* name;  // as the import's notes name the curve
};
constexpr KindOfType kKinds[] = {
    {kAutomationVolume, Host::IAutomationTrack::kVolume, "volume"},
    {kAutomationPan, Host::IAutomationTrack::kPan, "pan"},
    {kAutomationSendLevel, Host::IAutomationTrack::kSendLevel, "send level"},
};

std::string curveName(std::int32_t type) {
    for (const auto& entry : kKinds)
        if (entry.type == type) return std::string(entry.name) + " automation";
    return "automation of type " + std::to_string(type);
}

// A point value the host gets otherwise than it stands in the file: not a number, or a
// volume below 0 (both become 0).
bool replaced(std::int32_t type, float value) {
    return std::isnan(value) || (type == kAutomationVolume && value < 0);
}

void buildCurve(const HostSession& host, ImportNotes& notes, const SongModel& song,
                const AutomationRecord& record) {
    if (record.targetId < kTargetsPerTrack) return;
    const std::int32_t number = record.targetId / kTargetsPerTrack;
    const auto dropped = [&](const char* why) {
        notes.add(Host::kNoteAutomationDropped, number,
                  curveName(record.type) + ": not built; " + why);
    };
    const IPtr<Host::ITrack> track = findTrackByNumber(host, number);
    if (!track) return dropped("the file has no track of this number");

    IPtr<Host::IAutomation> automation;
    if (track->getAutomation(automation.put()) != Host::kResultOk || !automation)
        return dropped("the track takes no automation");
    automation->setReadEnabled(1);
    automation->setWriteEnabled(0);
    automation->setShown(1);

    const std::optional<std::int32_t> kind = automationKind(record.type);
    if (!kind) return dropped("the host has no automation of this kind");

    IPtr<Host::FUnknown> found;
    constexpr Host::tbool kCreateIfMissing = 1;
    if (automation->getAutomationTrack(*kind, kCreateIfMissing, found.put()) != Host::kResultOk ||
        !found)
        return dropped("the track has no automation track of this kind");
    const auto automationTrack = queryTo<Host::IAutomationTrack>(found);
    if (!automationTrack) return dropped("the track has no automation track of this kind");
    IPtr<Host::IEventList> list;
    if (host.project->getAutomationEventList(automationTrack.get(), list.put()) !=
            Host::kResultOk ||
        !list)
        return dropped("the host gives no event list for it");

    Host::IEditContext* edit = host.edit.get();
    const std::size_t points = std::min(record.positions.size(), record.values.size());
    const auto replacedPoints = static_cast<std::size_t>(std::count_if(
        record.values.begin(), record.values.begin() + static_cast<std::ptrdiff_t>(points),
        [&](float value) { return replaced(record.type, value); }));
    if (replacedPoints != 0)
        notes.add(Host::kNoteValueReplaced, number,
                  curveName(record.type) + ": " + std::to_string(replacedPoints) +
                      (replacedPoints == 1 ? " point is" : " points are") +
                      (record.type == kAutomationVolume ? " not a number or below 0"
                                                        : " not a number") +
                      " in the file; set to 0");
    for (std::size_t i = 0; i < points; ++i) {
        IPtr<Host::IAutomationEvent> event;
        if (host.context->createInstance(Host::kAutomationEventClass,
                                             Host::IAutomationEvent::iid,
                                             event.putVoid()) != Host::kResultOk ||
            !event)
            continue;
        edit->insertObject(list.get(), event.get());
        event->setValue(automationValue(record.type, record.values[i]), edit);
        event->setFlags(0, edit);
        event->setPosition(song.header.ticksToPosition(record.positions[i]), edit);
    }
}

}  // namespace

std::optional<std::int32_t> automationKind(std::int32_t type) {
    for (const auto& entry : kKinds)
        if (entry.type == type) return entry.kind;
    return std::nullopt;
}

double automationValue(std::int32_t type, float value) {
    double result = 0;
    switch (type) {
        case kAutomationVolume:
            // The division is done in double, the root in single precision. A negative
            // volume has no real root; it is taken as silence.
            if (value >= 0) {
                const auto ratio = static_cast<float>(static_cast<double>(value) / kVolumeAtTop);
                result = std::pow(ratio, 0.25f);
            }
            break;
        case kAutomationPan:
            result = (static_cast<double>(value) + 1.0) * 0.5;
            break;
        default:
            result = value;
            break;
    }
    return std::isnan(result) ? 0.0 : result;
}

void buildAutomation(const HostSession& host, ImportNotes& notes, const SongModel& song) {
    // Events are made through the host context, placed through the edit context and
    // found through the project; without all three there is nothing to build on.
    if (host.context && host.edit && host.project)
        for (const AutomationRecord& record : song.lists.automation)
            buildCurve(host, notes, song, record);

    if (host.edit)
        host.edit->finishStep(host.project.get(), u"Import Tessaro Project Automation");
}

}  // namespace Tessaro
