// What an export could not carry: one entry per kind of value and place, counted where
// the same thing is left out many times (notes of one part, say).
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace Interchange {

struct LeftOut {
    std::string what;   // what was left out or changed, in a few words
    std::string track;  // the track's name; empty for the song
    std::string clip;   // the clip's name; empty for the track or song
    std::string value;  // the value left out as text; empty where a count says it all
    std::size_t count = 1;
};

class LeftOutList {
public:
    // Adds an entry, or counts one more of an equal entry added before.
    void add(std::string what, std::string track = {}, std::string clip = {},
             std::string value = {}) {
        // The same as the last one: the common case of many notes of one part.
        if (!entries_.empty()) {
            LeftOut& last = entries_.back();
            if (last.what == what && last.track == track && last.clip == clip && last.value == value) {
                ++last.count;
                return;
            }
        }
        auto key = std::make_tuple(what, track, clip, value);
        if (const auto it = index_.find(key); it != index_.end()) {
            ++entries_[it->second].count;
            return;
        }
        index_.emplace(std::move(key), entries_.size());
        entries_.push_back({std::move(what), std::move(track), std::move(clip), std::move(value), 1});
    }

    const std::vector<LeftOut>& entries() const { return entries_; }

private:
    std::vector<LeftOut> entries_;
    std::map<std::tuple<std::string, std::string, std::string, std::string>, std::size_t> index_;
};

}  // namespace Interchange
