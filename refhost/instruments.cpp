#include "refhost/instruments.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/text.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

using nlohmann::json;

constexpr std::size_t kPresetHeaderSize = 48;
constexpr std::int64_t kMaxPresetEntries = 128;

std::int64_t loadLE(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t bytes) {
    std::uint64_t v = 0;
    for (std::size_t i = bytes; i-- > 0;) v = v << 8 | b[at + i];
    if (bytes == 4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return static_cast<std::int64_t>(v);
}

// The plug-in an entry of "effectType" names: its text after "Category - ".
std::string pluginOfEntry(const ListEntry& entry) {
    std::u16string_view text = entry.name;
    const auto cut = text.find(u" - ");
    if (cut != std::u16string_view::npos) text.remove_prefix(cut + 3);
    return Tessaro::toUtf8(text);
}

Host::int32 largestValue(const std::vector<ListEntry>& entries) {
    Host::int32 max = 0;
    for (const auto& e : entries) max = std::max(max, e.value);
    return max;
}

// A list parameter on node offering entries (a list that outlives it).
Parameter& addListParameter(ReferenceHost& host, Node& node, const std::string& name,
                            Host::int32 tag, const std::string& listKey,
                            const std::vector<ListEntry>& entries) {
    ParamTemplate shape;
    shape.name = name;
    shape.tag = tag;
    shape.max = largestValue(entries);
    shape.list = listKey;
    node.parameters.push_back(std::make_unique<Parameter>(host, node, shape, entries));
    return *node.parameters.back();
}

// Puts the plug-in that the slot's "effectType" now chooses into the slot, in place of the
// one it held.
void choosePlugin(Parameter& type) {
    ReferenceHost& host = type.host();
    Node& slot = type.owner;
    if (!slot.children.empty() && dynamic_cast<InstrumentInstance*>(slot.children.front())) {
        slot.children.front()->parent = nullptr;
        slot.children.erase(slot.children.begin());
    }
    const ListEntry* entry = type.chosenEntry();
    if (!entry) return;
    const json& plugins = host.profile().data.at("instruments").value("plugins", json::object());
    const std::string name = pluginOfEntry(*entry);
    if (!plugins.contains(name)) return;
    const json& plugin = plugins.at(name);
    const auto classId = classIdFromText(plugin.at("classId").get<std::string>());
    if (!classId) throw ProfileError("plug-in \"" + name + "\" has a bad class id");
    auto& instance = host.make<InstrumentInstance>(Tessaro::toUtf16(name), *classId);
    if (plugin.contains("presetList")) {
        const std::string list = plugin.at("presetList").get<std::string>();
        addListParameter(host, instance, kInstrumentPresetParam, plugin.value("presetTag", 0), list,
                         host.profile().list(list));
    }
    slot.insert(0, instance);
}

}  // namespace

// --- Instances and slots ---------------------------------------------------------------

InstrumentInstance::InstrumentInstance(ReferenceHost& host, std::u16string pluginName,
                                       Host::FUID id)
    : Node(host, {"param", "plugin"}, std::move(pluginName)), classId(id) {}

const PresetLoad* InstrumentInstance::loadedState() const {
    for (auto it = loads.rbegin(); it != loads.rend(); ++it)
        if (it->loaded) return &*it;
    return nullptr;
}

Node* instrumentSlotOf(const Node& channel) {
    for (Node* child : channel.children)
        if (child->is("instrumentSlot")) return child;
    return nullptr;
}

InstrumentInstance* instrumentInstanceOf(const Node& slot) {
    return slot.children.empty() ? nullptr
                                 : dynamic_cast<InstrumentInstance*>(slot.children.front());
}

void addInstrumentSlot(ReferenceHost& host, Node& channel) {
    const json& data = host.profile().data;
    if (!data.contains("instruments")) return;
    const json& shape = data.at("instruments").at("slot");
    const auto types = shape.value("channels", std::vector<std::string>{"Synth"});
    if (std::find(types.begin(), types.end(), channel.deviceType) == types.end()) return;
    // The lists the slot offers, one after another: one list the host keeps for every slot.
    const auto lists = shape.value("lists", std::vector<std::string>());
    std::string joined = "instrument slot:";
    for (const auto& key : lists) joined += " " + key;
    const auto& entries = host.sharedList(joined, [&] {
        std::vector<ListEntry> all;
        for (const auto& key : lists) {
            const auto& list = host.profile().list(key);
            all.insert(all.end(), list.begin(), list.end());
        }
        return all;
    });
    Node& slot = host.make<Node>(KindSet{"param", "instrumentSlot"},
                                 Tessaro::toUtf16(shape.at("name").get<std::string>()));
    Parameter& type = addListParameter(host, slot, kInstrumentTypeParam, shape.value("tag", 0),
                                       lists.empty() ? std::string("instruments") : lists.front(),
                                       entries);
    type.onChange = choosePlugin;
    channel.append(slot);
}

// --- Class ids and checksums -----------------------------------------------------------

std::string classIdText(const Host::FUID& id) {
    const auto* b = id.bytes;
    char text[33];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X%02X%02X%02X%02X%02X%02X%02X%02X%02X%02X",
                  b[3], b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12],
                  b[13], b[14], b[15]);
    return text;
}

std::optional<Host::FUID> classIdFromText(std::string_view text) {
    if (text.size() != 32) return std::nullopt;
    std::uint8_t digits[16];
    for (std::size_t i = 0; i < 16; ++i) {
        unsigned value = 0;
        for (std::size_t k = 0; k < 2; ++k) {
            const char c = text[2 * i + k];
            unsigned d;
            if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
            else if (c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
            else return std::nullopt;
            value = value * 16 + d;
        }
        digits[i] = static_cast<std::uint8_t>(value);
    }
    // The text reads like the GUID's registry form: the groups stand most significant first.
    Host::FUID id{};
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 16; ++i) id.bytes[order[i]] = digits[i];
    return id;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// --- Preset files ----------------------------------------------------------------------

PresetLoad parsePresetFile(const std::vector<std::uint8_t>& bytes,
                           std::string_view expectedClassId) {
    PresetLoad load;
    auto refuse = [&](std::string why) {
        load.refusal = std::move(why);
        return load;
    };
    const std::size_t size = bytes.size();
    if (size < kPresetHeaderSize) return refuse("shorter than the 48-byte header");
    if (std::memcmp(bytes.data(), "QPL3", 4) != 0) return refuse("no \"QPL3\" magic");
    if (const auto version = loadLE(bytes, 4, 4); version != 1)
        return refuse("format version " + std::to_string(version));
    load.classId.assign(reinterpret_cast<const char*>(bytes.data() + 8), 32);
    const auto parsed = classIdFromText(load.classId);
    if (!parsed || classIdText(*parsed) != load.classId)
        return refuse("class id is not 32 upper-case hexadecimal digits");
    if (load.classId != expectedClassId)
        return refuse("class id " + load.classId + " is not the plug-in's " +
                      std::string(expectedClassId));

    const std::int64_t listOffset = loadLE(bytes, 40, 8);
    if (listOffset < static_cast<std::int64_t>(kPresetHeaderSize) ||
        listOffset > static_cast<std::int64_t>(size) - 8)
        return refuse("chunk list offset " + std::to_string(listOffset) + " outside the file");
    const auto list = static_cast<std::size_t>(listOffset);
    if (std::memcmp(bytes.data() + list, "List", 4) != 0)
        return refuse("no \"List\" at the chunk list offset");
    const std::int64_t count = loadLE(bytes, list + 4, 4);
    if (count < 0 || count > kMaxPresetEntries ||
        static_cast<std::size_t>(count) * 20 > size - list - 8)
        return refuse("chunk list count " + std::to_string(count));

    std::optional<std::pair<std::size_t, std::size_t>> comp;
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const std::size_t at = list + 8 + 20 * i;
        const std::string id(reinterpret_cast<const char*>(bytes.data() + at), 4);
        const std::int64_t offset = loadLE(bytes, at + 4, 8);
        const std::int64_t length = loadLE(bytes, at + 12, 8);
        if (offset < static_cast<std::int64_t>(kPresetHeaderSize) || offset > listOffset ||
            length < 0 || length > listOffset - offset)
            return refuse("chunk \"" + id + "\" lies outside the chunk data");
        if (id == "Comp") {
            if (comp) return refuse("two \"Comp\" chunks");
            comp = {static_cast<std::size_t>(offset), static_cast<std::size_t>(length)};
        }
    }
    if (!comp) return refuse("no \"Comp\" chunk");
    load.state.assign(bytes.begin() + static_cast<std::ptrdiff_t>(comp->first),
                      bytes.begin() + static_cast<std::ptrdiff_t>(comp->first + comp->second));
    load.checksum = crc32(load.state.data(), load.state.size());
    load.loaded = true;
    return load;
}

}  // namespace RefHost
