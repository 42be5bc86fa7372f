#include "refhost/profile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

#include "base/text.h"

#ifndef TESSARO_PROFILE_DIR
#define TESSARO_PROFILE_DIR "refhost/profiles"
#endif

namespace RefHost {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A profile that extends others may not go deeper than this.
constexpr int kMaxExtendsDepth = 8;

ParamTemplate readParam(const json& j) {
    ParamTemplate p;
    p.name = j.at("name").get<std::string>();
    p.tag = j.value("tag", 0);
    p.max = j.value("max", -1);
    p.value = j.value("value", 0.0);
    p.list = j.value("list", std::string());
    return p;
}

NodeTemplate readNode(const json& j) {
    NodeTemplate n;
    n.name = j.at("name").get<std::string>();
    n.kinds = j.value("kinds", std::vector<std::string>());
    for (const auto& p : j.value("params", json::array())) n.params.push_back(readParam(p));
    for (const auto& c : j.value("children", json::array())) n.children.push_back(readNode(c));
    n.repeat = j.value("repeat", 1);
    if (n.repeat < 0 || n.repeat > 256) throw ProfileError("node \"" + n.name + "\": bad repeat");
    if (j.contains("subNode")) n.subNode.push_back(readNode(j.at("subNode")));
    return n;
}

// Gives list parameters without a maximum the largest value of their list.
void settleMaxima(NodeTemplate& node, const std::map<std::string, std::vector<ListEntry>>& lists) {
    for (auto& p : node.params) {
        if (!p.list.empty() && !lists.contains(p.list))
            throw ProfileError("parameter \"" + p.name + "\" names the unknown list \"" +
                               p.list + "\"");
        if (p.max >= 0) continue;
        p.max = 1;
        if (!p.list.empty()) {
            p.max = 0;
            for (const auto& e : lists.at(p.list)) p.max = std::max(p.max, e.value);
        }
    }
    for (auto& c : node.children) settleMaxima(c, lists);
    for (auto& s : node.subNode) settleMaxima(s, lists);
}

Profile fromJson(const json& j) {
    Profile p;
    p.name = j.at("name").get<std::string>();
    p.version = j.at("version").get<std::string>();
    p.description = j.value("description", std::string());
    // (Each object is held in a local: items() of a temporary would outlive it.)
    const json services = j.value("services", json::object());
    for (const auto& [key, value] : services.items()) p.services[key] = value.get<bool>();
    const json project = j.value("project", json::object());
    p.sampleRate = project.value("sampleRate", 44100.0);
    p.sampleSize = project.value("sampleSize", 16);

    const json lists = j.value("lists", json::object());
    for (const auto& [key, entries] : lists.items()) {
        auto& list = p.lists[key];
        for (const auto& e : entries)
            list.push_back({Tessaro::toUtf16(e.at("name").get<std::string>()),
                            e.at("value").get<Host::int32>()});
    }

    const json mixer = j.value("mixer", json::object());
    p.mixerObject = mixer.value("object", true);
    if (mixer.contains("value") && !mixer.at("value").is_null())
        p.mixerValue = mixer.at("value").get<double>();
    for (const auto& g : mixer.value("channelGroups", json::array()))
        p.channelGroups.push_back(
            {g.at("types").get<std::vector<std::string>>(), g.value("newestFirst", false)});
    for (const auto& o : mixer.value("outputs", json::array()))
        p.outputs.push_back({o.at("name").get<std::string>(), o.at("layout").get<std::string>()});
    // A layout is a node, or the name of another layout that it shares.
    const json layouts = mixer.value("layouts", json::object());
    for (const auto& [key, layout] : layouts.items()) {
        if (layout.is_string()) continue;
        NodeTemplate node = readNode(layout);
        settleMaxima(node, p.lists);
        p.layouts.emplace(key, std::move(node));
    }
    for (const auto& [key, layout] : layouts.items()) {
        if (!layout.is_string()) continue;
        const auto same = p.layouts.find(layout.get<std::string>());
        if (same == p.layouts.end())
            throw ProfileError("layout \"" + key + "\" names the unknown layout \"" +
                               layout.get<std::string>() + "\"");
        p.layouts.emplace(key, same->second);
    }
    for (const auto& o : p.outputs)
        if (!p.layouts.contains(o.layout))
            throw ProfileError("output \"" + o.name + "\" names the unknown layout \"" +
                               o.layout + "\"");
    p.data = j;
    return p;
}

json readJsonFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ProfileError("cannot open profile " + file.string());
    try {
        return json::parse(in, nullptr, true, /*ignore_comments=*/true);
    } catch (const json::exception& e) {
        throw ProfileError("cannot read profile " + file.string() + ": " + e.what());
    }
}

// By name, then by version, then by id: the order of list().
bool listOrder(const ProfileInfo& a, const ProfileInfo& b) {
    if (a.name != b.name) return a.name < b.name;
    const auto va = parseVersionNumbers(a.version), vb = parseVersionNumbers(b.version);
    if (va != vb) return va < vb;
    return a.id < b.id;
}

bool looksLikePath(std::string_view selector) {
    return selector.find('/') != std::string_view::npos || selector.ends_with(".json");
}

}  // namespace

NodeTemplate readNodeTemplate(const json& j,
                              const std::map<std::string, std::vector<ListEntry>>& lists) {
    NodeTemplate node = readNode(j);
    settleMaxima(node, lists);
    return node;
}

VersionNumbers parseVersionNumbers(std::string_view text) {
    VersionNumbers v;
    if (text.size() <= 8) return v;
    text.remove_prefix(8);
    Host::int32* parts[] = {&v.major, &v.minor, &v.patch};
    std::size_t i = 0;
    for (Host::int32* part : parts) {
        Host::int64 n = 0;
        bool any = false;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) &&
               n < 1000000) {
            n = n * 10 + (text[i] - '0');
            any = true;
            ++i;
        }
        if (!any) break;
        *part = static_cast<Host::int32>(n);
        if (i < text.size() && text[i] == '.') ++i;
        else break;
    }
    return v;
}

bool Profile::offers(std::string_view service) const {
    const auto it = services.find(std::string(service));
    return it == services.end() || it->second;
}

VersionNumbers Profile::versionNumbers() const { return parseVersionNumbers(version); }

const NodeTemplate& Profile::layout(const std::string& key) const {
    const auto it = layouts.find(key);
    if (it == layouts.end()) throw ProfileError("profile " + id + " has no layout \"" + key + "\"");
    return it->second;
}

const std::vector<ListEntry>& Profile::list(const std::string& key) const {
    const auto it = lists.find(key);
    if (it == lists.end()) throw ProfileError("profile " + id + " has no list \"" + key + "\"");
    return it->second;
}

// --- ProfileStore --------------------------------------------------------------------

fs::path ProfileStore::defaultFolder() {
    if (const char* env = std::getenv("TESSARO_PROFILES"); env && *env) return fs::path(env);
    return fs::path(TESSARO_PROFILE_DIR);
}

ProfileStore::ProfileStore(fs::path folder) : folder_(std::move(folder)) {}

json ProfileStore::readMerged(const fs::path& file, int depth, MergedBases* bases) const {
    if (depth > kMaxExtendsDepth)
        throw ProfileError("profile " + file.string() + " extends too deeply");
    json j = readJsonFile(file);
    if (!j.is_object()) throw ProfileError("profile " + file.string() + " is not an object");
    if (!j.contains("extends")) return j;
    const auto base = j.at("extends").get<std::string>();
    const fs::path baseFile = folder_ / (base + ".json");
    json merged;
    if (!bases) {
        merged = readMerged(baseFile, depth + 1, nullptr);
    } else if (const auto known = bases->find(baseFile); known != bases->end()) {
        merged = known->second;
    } else {
        merged = readMerged(baseFile, depth + 1, bases);
        bases->emplace(baseFile, merged);
    }
    j.erase("extends");
    merged.erase("abstract");
    merged.merge_patch(j);
    return merged;
}

Profile ProfileStore::loadFile(const fs::path& file) const { return loadFile(file, nullptr); }

Profile ProfileStore::loadFile(const fs::path& file, MergedBases* bases) const {
    try {
        const json j = readMerged(file, 0, bases);
        if (j.value("abstract", false))
            throw ProfileError("profile " + file.string() + " is a base, not a host");
        Profile p = fromJson(j);
        p.id = file.stem().string();
        p.file = file;
        return p;
    } catch (const json::exception& e) {
        throw ProfileError("bad profile " + file.string() + ": " + e.what());
    } catch (const ProfileError& e) {
        const std::string what = e.what();
        if (what.find(file.string()) != std::string::npos) throw;
        throw ProfileError("bad profile " + file.string() + ": " + what);
    }
}

std::vector<ProfileInfo> ProfileStore::list() const {
    MergedBases bases;
    return list(bases);
}

std::vector<ProfileInfo> ProfileStore::list(MergedBases& bases) const {
    std::vector<ProfileInfo> infos;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".json") continue;
        try {
            const Profile p = loadFile(entry.path(), &bases);
            infos.push_back({p.id, p.name, p.version, p.description, p.file});
        } catch (const ProfileError&) {
            // A base, or a profile that does not load: not a host to offer.
        }
    }
    std::sort(infos.begin(), infos.end(), listOrder);
    return infos;
}

std::optional<ProfileInfo> ProfileStore::infoOf(const fs::path& file, MergedBases& bases) const {
    try {
        const json own = readJsonFile(file);
        if (own.is_object() && !own.value("abstract", false) && own.contains("name") &&
            own.contains("version") && own["name"].is_string() && own["version"].is_string())
            return ProfileInfo{file.stem().string(), own["name"].get<std::string>(),
                               own["version"].get<std::string>(), "", file};
        // A file that does not name itself (or is a base): its profile tells.
        const Profile p = loadFile(file, &bases);
        return ProfileInfo{p.id, p.name, p.version, p.description, p.file};
    } catch (const ProfileError&) {
        return std::nullopt;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

std::optional<Profile> ProfileStore::loadIfItLoads(const fs::path& file, MergedBases& bases) const {
    try {
        return loadFile(file, &bases);
    } catch (const ProfileError&) {
        return std::nullopt;
    }
}

Profile ProfileStore::load(std::string_view selector) const {
    if (selector.empty()) selector = kDefaultHost;
    if (looksLikePath(selector)) return loadFile(fs::path(selector));

    std::error_code ec;
    const fs::path byId = folder_ / (std::string(selector) + ".json");
    if (selector.find('/') == std::string_view::npos && fs::is_regular_file(byId, ec))
        return loadFile(byId);

    // "Name", or "Name major.minor.patch": that version, else the newest of that name, of
    // the profiles that load. A host profile names itself in its own file, so the files are
    // read without their bases to find the ones that fit, and only those are loaded.
    MergedBases bases;
    std::vector<ProfileInfo> named;  // of that name, in the order list() gives
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".json") continue;
        auto info = infoOf(entry.path(), bases);
        if (info && (info->name == selector || selector.starts_with(info->name + " ")))
            named.push_back(std::move(*info));
    }
    std::sort(named.begin(), named.end(), listOrder);
    for (const auto& info : named) {
        const std::string numbers =
            info.version.size() > 8 ? info.version.substr(8) : std::string();
        if (selector != info.name + " " + numbers) continue;
        if (auto profile = loadIfItLoads(info.file, bases)) return std::move(*profile);
    }
    for (auto info = named.rbegin(); info != named.rend(); ++info) {
        if (info->name != selector) continue;
        if (auto profile = loadIfItLoads(info->file, bases)) return std::move(*profile);
    }
    throw ProfileError("no host profile \"" + std::string(selector) + "\" in " + folder_.string());
}

}  // namespace RefHost
