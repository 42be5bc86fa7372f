#include "builder/automation.h"

#include <algorithm>
#include <cmath>

#include "base/iptr.h"
#include "builder/build_driver.h"
#include "hostkit/host_session.h"
#include "model/song_model.h"

namespace Tessaro {

namespace {

// The app's volume curve reaches +12 dB, the gain 10^(12/20) = 3.981071706, which the
// host's volume automation takes as 1.
constexpr double kVolumeAtTop = 3.981071706;
constexpr std::int32_t kTargetsPerTrack = 100;

struct KindOfType {
    std::int32_t type;
    std::int32_t kind;
};
constexpr KindOfType kKinds[] = {
    {1, Host::IAutomationTrack::kVolume},
    {2, Host::IAutomationTrack::kPan},
    {3, Host::IAutomationTrack::kSendLevel},
};

void buildCurve(const HostSession& host, const SongModel& song, const AutomationRecord& record) {
    if (record.targetId < kTargetsPerTrack) return;
    const IPtr<Host::ITrack> track = findTrackByNumber(host, record.targetId / kTargetsPerTrack);
    if (!track) return;

    IPtr<Host::IAutomation> automation;
    if (track->getAutomation(automation.put()) != Host::kResultOk || !automation) return;
    automation->setReadEnabled(1);
    automation->setWriteEnabled(0);
    automation->setShown(1);

    const std::optional<std::int32_t> kind = automationKind(record.type);
    if (!kind) return;

    IPtr<Host::FUnknown> found;
    constexpr Host::tbool kCreateIfMissing = 1;
    if (automation->getAutomationTrack(*kind, kCreateIfMissing, found.put()) != Host::kResultOk ||
        !found)
        return;
    const auto automationTrack = queryTo<Host::IAutomationTrack>(found);
    if (!automationTrack) return;
    IPtr<Host::IEventList> list;
    if (host.project->getAutomationEventList(automationTrack.get(), list.put()) !=
            Host::kResultOk ||
        !list)
        return;

    Host::IEditContext* edit = host.edit.get();
    const std::size_t points = std::min(record.positions.size(), record.values.size());
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
        case 1:
            // The division is done in double, the root in single precision. A negative
            // volume has no real root; it is taken as silence.
            if (value >= 0) {
                const auto ratio = static_cast<float>(static_cast<double>(value) / kVolumeAtTop);
                result = std::pow(ratio, 0.25f);
            }
            break;
        case 2:
            result = (static_cast<double>(value) + 1.0) * 0.5;
            break;
        default:
            result = value;
            break;
    }
    return std::isnan(result) ? 0.0 : result;
}

void buildAutomation(const HostSession& host, const SongModel& song) {
    // Events are made through the host context, placed through the edit context and
    // found through the project; without all three there is nothing to build on.
    if (host.context && host.edit && host.project)
        for (const AutomationRecord& record : song.lists.automation) buildCurve(host, song, record);

    if (host.edit)
        host.edit->finishStep(host.project.get(), u"Import Tessaro Project Automation");
}

}  // namespace Tessaro
