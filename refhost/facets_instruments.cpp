// Instrument plug-in instances: their class id (IComponent) and preset loading
// (IPresetLoader).
#include "base/text.h"
#include "refhost/facets.h"
#include "refhost/instruments.h"
#include "refhost/reference_host.h"
#include "refhost/streams.h"

namespace RefHost {

namespace {

bool isInstrument(Object& object) { return dynamic_cast<InstrumentInstance*>(&object) != nullptr; }

class ComponentFacet : public Facet<Host::IComponent, InstrumentInstance> {
public:
    using Facet::Facet;

    Host::tresult getClassId(Host::FUID* cid) override {
        const HostCall call(*this, "getClassId");
        if (!call) return call.refusal();
        if (!outPointer("getClassId", cid)) return Host::kInvalidArgument;
        *cid = self().classId;
        return Host::kResultOk;
    }
};

class PresetLoaderFacet : public Facet<Host::IPresetLoader, InstrumentInstance> {
public:
    using Facet::Facet;

    // Reads the preset file from the stream's position to its end; a file the plug-in
    // cannot take is refused and leaves its state as it was.
    Host::tresult loadPreset(Host::IBStream* stream, const Host::char16* name) override {
        const HostCall call(*this, "loadPreset");
        if (!call) return call.refusal();
        auto* source = dynamic_cast<ByteStream*>(
            argument("loadPreset", stream, "stream", &Host::IBStream::iid));
        std::u16string presetName;
        if (!source || !text("loadPreset", name, "name", presetName)) return Host::kInvalidArgument;
        if (!source->isOpen()) {
            misuse("loadPreset", "the stream is closed");
            return Host::kInvalidArgument;
        }
        std::vector<std::uint8_t> bytes;
        const std::int64_t left = source->size() - source->position();
        if (left > 0) {
            bytes.resize(static_cast<std::size_t>(left));
            std::size_t done = 0;
            while (done < bytes.size()) {
                Host::int32 got = 0;
                const auto want =
                    static_cast<Host::int32>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
                if (source->read(bytes.data() + done, want, &got) != Host::kResultOk || got <= 0)
                    break;
                done += static_cast<std::size_t>(got);
            }
            bytes.resize(done);
        }
        PresetLoad load = parsePresetFile(bytes, classIdText(self().classId));
        load.name = Tessaro::toUtf8(presetName);
        const bool loaded = load.loaded;
        self().loads.push_back(std::move(load));
        return loaded ? Host::kResultOk : Host::kResultFalse;
    }
};

const FacetType kTypes[] = {
    facetType<ComponentFacet, Host::IComponent>("IComponent", isInstrument),
    facetType<PresetLoaderFacet, Host::IPresetLoader>("IPresetLoader", isInstrument),
};

}  // namespace

std::span<const FacetType> instrumentFacetTypes() { return kTypes; }

}  // namespace RefHost
