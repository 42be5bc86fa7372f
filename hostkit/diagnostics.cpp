#include "hostkit/diagnostics.h"

#include <algorithm>
#include <limits>

#include "base/text.h"

namespace Tessaro {

namespace {

// A name from the file in a note keeps this many UTF-16 units at most.
constexpr std::size_t kMostNameUnits = 200;

}  // namespace

ImportFailure ImportFailure::beforeReading(std::string reason) {
    ImportFailure failure;
    failure.text = std::move(reason);
    return failure;
}

void ImportNotes::add(NoteKind kind, std::int64_t track, std::string text) {
    const bool fits = track >= 0 && track <= std::numeric_limits<std::int32_t>::max();
    if (notes_.size() < kMostNotes)
        notes_.push_back({kind, fits ? static_cast<std::int32_t>(track) : -1, std::move(text)});
    else
        ++beyond_;
}

std::vector<ImportNote> ImportNotes::list() const {
    std::vector<ImportNote> all = notes_;
    if (beyond_ != 0)
        all.push_back({Host::kNoteMoreNotes, -1,
                       std::to_string(beyond_) + " more notes, not kept one by one"});
    return all;
}

void ImportNotes::clear() {
    notes_.clear();
    beyond_ = 0;
}

std::string noteText(std::u16string_view text) {
    std::u16string kept(text.substr(0, kMostNameUnits));
    // A pair of UTF-16 units cut in half would read as a broken character. (A cut text keeps
    // kMostNameUnits units, never none.)
    static_assert(kMostNameUnits > 0);
    if (kept.size() < text.size() && kept.back() >= 0xD800 && kept.back() <= 0xDBFF)
        kept.pop_back();
    // Control characters (a zero among them) would end or break the line a host shows.
    std::replace_if(kept.begin(), kept.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; },
                    u'?');
    std::string result = toUtf8(kept);
    if (kept.size() < text.size()) result += "...";
    return result;
}

}  // namespace Tessaro
