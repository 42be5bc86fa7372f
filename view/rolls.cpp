#include "view/rolls.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "view/html.h"
#include "view/png.h"

namespace View {

using Interchange::Clip;
using Interchange::ControlEvent;
using Interchange::ControlKind;

namespace {

constexpr int kMinimumRows = 12;
constexpr std::uint32_t kMostColumns = 4096;
// The shortest note drawn, in quarter notes: a note of no length still shows.
constexpr double kShortestNote = 1.0 / 64;

// The velocity's shade, 0 to 3 (the classes v0 to v3 of the style).
int shadeOf(std::int32_t velocity) { return std::clamp(velocity, 0, 127) / 32; }

// The keys the roll shows: the part's lowest to highest, widened to kMinimumRows.
std::pair<int, int> keyRange(const Clip& part) {
    int low = 127, high = 0;
    for (const auto& n : part.notes) {
        const int key = std::clamp(n.key, 0, 127);
        low = std::min(low, key);
        high = std::max(high, key);
    }
    while (high - low + 1 < kMinimumRows) {
        if (high < 127) ++high;
        if (high - low + 1 < kMinimumRows && low > 0) --low;
    }
    return {low, high};
}

double lengthOf(const Clip& part) { return std::isfinite(part.duration) && part.duration > 0 ? part.duration : 1; }

std::uint32_t columnsOf(const Clip& part, const RollDrawing& drawing) {
    const double wanted = std::ceil(lengthOf(part) * drawing.columnsPerQuarter);
    return static_cast<std::uint32_t>(std::clamp(std::isfinite(wanted) ? wanted : 1.0, 1.0, double(kMostColumns)));
}

void appendExactRoll(std::string& out, const Clip& part, int low, int high) {
    const double length = lengthOf(part);
    out += "<svg class=\"roll\" aria-hidden=\"true\" preserveAspectRatio=\"none\" viewBox=\"0 ";
    out += std::to_string(127 - high) + " ";
    appendNumber(out, length);
    out += " " + std::to_string(high - low + 1) + "\">";
    std::array<std::string, 4> paths;
    for (const auto& n : part.notes) {
        std::string& d = paths[static_cast<std::size_t>(shadeOf(n.velocity))];
        const double start = std::isfinite(n.time) ? n.time : 0;
        const double width = std::max(std::isfinite(n.duration) ? n.duration : 0, kShortestNote);
        d += 'M';
        appendNumber(d, start);
        d += ' ' + std::to_string(127 - std::clamp(n.key, 0, 127)) + 'h';
        appendNumber(d, width);
        d += "v1H";
        appendNumber(d, start);
        d += 'z';
    }
    for (std::size_t shade = 0; shade < paths.size(); ++shade)
        if (!paths[shade].empty())
            out += "<path class=\"v" + std::to_string(shade) + "\" d=\"" + paths[shade] + "\"/>";
    out += "</svg>";
}

void appendImageRoll(std::string& out, const Clip& part, int low, int high, const RollDrawing& drawing) {
    const double length = lengthOf(part);
    GreyAlphaImage image;
    image.width = columnsOf(part, drawing);
    image.height = static_cast<std::uint32_t>(high - low + 1);
    image.pixels.assign(2 * std::size_t{image.width} * image.height, 0);
    const double scale = image.width / length;
    const auto lastColumn = static_cast<double>(image.width - 1);
    for (const auto& n : part.notes) {
        const double start = std::isfinite(n.time) ? n.time : 0;
        const double end = start + std::max(std::isfinite(n.duration) ? n.duration : 0, 0.0);
        if (end < 0 || start >= length) continue;
        const auto first = static_cast<std::size_t>(std::clamp(std::floor(start * scale), 0.0, lastColumn));
        const auto last = std::max(first, static_cast<std::size_t>(std::clamp(std::ceil(end * scale) - 1, 0.0, lastColumn)));
        const auto row = static_cast<std::size_t>(high - std::clamp(n.key, 0, 127));
        const auto alpha = static_cast<std::uint8_t>(96 + std::clamp(n.velocity, 0, 127) * 159 / 127);
        for (std::size_t c = first; c <= last; ++c) {
            std::uint8_t& a = image.pixels[2 * (row * image.width + c) + 1];
            a = std::max(a, alpha);
        }
    }
    const auto png = encodePng(image);
    if (png.empty()) return;
    out += "<img class=\"roll\" alt=\"\" loading=\"lazy\" decoding=\"async\" src=\"data:image/png;base64,";
    out += base64(png);
    out += "\">";
}

// The value of an event from 0 to 1 on its kind's scale.
double level(const ControlEvent& e) {
    const double top = e.kind == ControlKind::PitchBend ? 16383 : 127;
    return std::clamp(e.value / top, 0.0, 1.0);
}

}  // namespace

void appendRoll(std::string& out, const Clip& part, const RollDrawing& drawing) {
    if (part.notes.empty()) return;
    const auto [low, high] = keyRange(part);
    if (drawing.exact)
        appendExactRoll(out, part, low, high);
    else
        appendImageRoll(out, part, low, high, drawing);
}

void appendControllerCurves(std::string& out, const Clip& part, const RollDrawing& drawing) {
    if (part.events.empty()) return;
    const double length = lengthOf(part);
    // The curves in the order of their first event: kind and controller number.
    std::vector<std::pair<std::pair<ControlKind, std::int32_t>, std::vector<const ControlEvent*>>> curves;
    std::map<std::pair<ControlKind, std::int32_t>, std::size_t> index;
    for (const auto& e : part.events) {
        const auto key = std::make_pair(e.kind, e.kind == ControlKind::Controller ? e.number : 0);
        const auto [at, added] = index.try_emplace(key, curves.size());
        if (added) curves.push_back({key, {}});
        curves[at->second].second.push_back(&e);
    }
    const std::uint32_t columns = columnsOf(part, drawing);
    out += "<svg class=\"cc\" aria-hidden=\"true\" preserveAspectRatio=\"none\" viewBox=\"0 0 ";
    appendNumber(out, length);
    out += " 100\">";
    for (const auto& [key, events] : curves) {
        std::string d = "M0 ";
        appendNumber(d, 100 * (1 - level(*events.front())), 1);
        const bool everyEvent = drawing.exact || events.size() <= 2 * std::size_t{columns};
        std::size_t i = 0;
        while (i < events.size()) {
            const double at = std::clamp(std::isfinite(events[i]->time) ? events[i]->time : 0, 0.0, length);
            double low = level(*events[i]), high = low, last = low;
            std::size_t next = i + 1;
            if (!everyEvent) {
                // Every event of this column in one step: its highest, lowest and last value.
                const double column = std::floor(at / length * columns);
                while (next < events.size() && std::floor(events[next]->time / length * columns) <= column) {
                    last = level(*events[next]);
                    low = std::min(low, last);
                    high = std::max(high, last);
                    ++next;
                }
            }
            d += 'H';
            appendNumber(d, at);
            for (double v : next - i > 1 ? std::vector<double>{high, low, last} : std::vector<double>{last}) {
                d += 'V';
                appendNumber(d, 100 * (1 - v), 1);
            }
            i = next;
        }
        d += 'H';
        appendNumber(d, length);
        out += "<path class=\"cc-" + std::string(key.first == ControlKind::PitchBend ? "bend"
                                                 : key.first == ControlKind::Aftertouch ? "pressure"
                                                 : key.first == ControlKind::ProgramChange ? "program"
                                                                                            : "controller") +
               "\" d=\"" + d + "\"/>";
    }
    out += "</svg>";
}

}  // namespace View
