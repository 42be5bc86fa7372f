// Host editions as data. A profile names the application and its version, lists the
// services the host context offers and describes the mixer: which channels exist, in which
// order, and the parameter tree of each kind of channel. Profiles are JSON files in the
// profiles folder; a profile may extend another (a base file in profiles/base/), whose
// values it overrides key by key (a JSON merge patch).
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "interfaces/ftypes.h"

namespace RefHost {

class ProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One entry of a list parameter: the text the host shows ("Dynamics - Compressor") and
// the parameter value that selects it.
struct ListEntry {
    std::u16string name;
    Host::int32 value = 0;
};

struct ParamTemplate {
    std::string name;
    Host::int32 tag = 0;
    Host::int32 max = 1;  // for a list parameter: its largest entry value unless given
    double value = 0;
    std::string list;  // the profile list whose entries the parameter offers; empty: none
};

// A node of a mixer parameter tree. repeat makes that many siblings of the same shape.
struct NodeTemplate {
    std::string name;
    std::vector<std::string> kinds;  // besides "param": "send" for a routable send slot
    std::vector<ParamTemplate> params;
    std::vector<NodeTemplate> children;
    Host::int32 repeat = 1;
    std::vector<NodeTemplate> subNode;  // none or one: what getSubNode answers
};

// Channels of these device types stand together in "Channels"; newestFirst puts a new
// channel at the front of its group rather than at its end.
struct ChannelGroup {
    std::vector<std::string> types;
    bool newestFirst = false;
};

struct OutputChannel {
    std::string name;
    std::string layout;  // a key of the mixer's layouts
};

struct VersionNumbers {
    Host::int32 major = 0;
    Host::int32 minor = 0;
    Host::int32 patch = 0;
    auto operator<=>(const VersionNumbers&) const = default;
};

struct Profile {
    std::string id;           // the file's stem: "ombrel-8.0.1"
    std::filesystem::path file;
    std::string name;         // "Ombrel Fold"
    std::string version;      // "Version 7.0.1": eight leading characters, then the numbers
    std::string description;

    // Services of the host context, by name ("messageDisplay", "fileAccess",
    // "applicationInfo", "mixerAccess", "transport", "editContext", "audioFileTypes"); a
    // service the profile does not name is offered.
    std::map<std::string, bool> services;

    double sampleRate = 44100;  // the project's until the import sets others
    Host::int32 sampleSize = 16;

    bool mixerObject = true;           // the host has the object "QPL Mixer"
    std::optional<double> mixerValue;  // what the mixer object's IValue reports; none: no IValue
    std::vector<ChannelGroup> channelGroups;
    std::vector<OutputChannel> outputs;
    std::map<std::string, NodeTemplate> layouts;  // by device type or output layout name
    std::map<std::string, std::vector<ListEntry>> lists;

    nlohmann::json data;  // the whole merged profile, for areas that read sections of their own

    bool offers(std::string_view service) const;
    // The numbers of the version text; 0 where none can be read.
    VersionNumbers versionNumbers() const;
    const NodeTemplate& layout(const std::string& key) const;  // throws ProfileError
    const std::vector<ListEntry>& list(const std::string& key) const;  // throws ProfileError
};

// What --list-hosts shows of a profile.
struct ProfileInfo {
    std::string id;
    std::string name;
    std::string version;
    std::string description;
    std::filesystem::path file;
};

// Finds and loads profiles from a folder.
class ProfileStore {
public:
    // The folder given by the environment variable TESSARO_PROFILES, else the profiles
    // folder of the source tree.
    static std::filesystem::path defaultFolder();
    // The host loaded when no profile is asked for: the newest "Ombrel".
    static constexpr const char* kDefaultHost = "Ombrel";

    explicit ProfileStore(std::filesystem::path folder = defaultFolder());

    const std::filesystem::path& folder() const { return folder_; }
    // Every host profile of the folder that loads (not the bases), by name, then by
    // version.
    std::vector<ProfileInfo> list() const;

    // Loads a profile named by selector, tried in this order: the path of a profile file; a
    // profile id ("ombrel-7.0.1"); an application name with a version ("Ombrel 7.0.1"); an
    // application name alone ("Ombrel Fold": its newest version). Empty: the default host.
    Profile load(std::string_view selector) const;
    // Loads one profile file, resolving what it extends from this store's folder.
    Profile loadFile(const std::filesystem::path& file) const;

private:
    // The bases read while profiles are listed, merged, by file: every host profile of a
    // folder extends the same few, which are read once instead of once per profile.
    using MergedBases = std::map<std::filesystem::path, nlohmann::json>;

    Profile loadFile(const std::filesystem::path& file, MergedBases* bases) const;
    // The file's id, name and version, read from the file itself where it names itself;
    // none for a base or a file that does not load.
    std::optional<ProfileInfo> infoOf(const std::filesystem::path& file, MergedBases& bases) const;
    std::optional<Profile> loadIfItLoads(const std::filesystem::path& file,
                                         MergedBases& bases) const;
    std::vector<ProfileInfo> list(MergedBases& bases) const;
    nlohmann::json readMerged(const std::filesystem::path& file, int depth,
                              MergedBases* bases) const;

    std::filesystem::path folder_;
};

// A node template from its profile JSON (as the mixer's layouts are written), with the
// maxima of its list parameters settled from lists.
NodeTemplate readNodeTemplate(const nlohmann::json& j,
                              const std::map<std::string, std::vector<ListEntry>>& lists);

// Parses the numbers of a version text: the text after its first eight characters,
// "major.minor.patch".
VersionNumbers parseVersionNumbers(std::string_view versionText);

}  // namespace RefHost
