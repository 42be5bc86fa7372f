// The arrangement window of a successful import: the song's facts, a toolbar, the ruler and
// a lane per track with its parts, audio events and automation, the mixer, and what was
// not carried. Positions are quarter notes in custom properties (--t, --d) that the style
// scales by the zoom (--ppq, pixels per quarter note), so zooming moves nothing by script
// but the ruler's marks.
#include <algorithm>
#include <cmath>
#include <map>

#include "view/document.h"
#include "view/html.h"
#include "view/rolls.h"
#include "view/waveform.h"

namespace View {

using Interchange::Channel;
using Interchange::Clip;
using Interchange::Device;
using Interchange::Song;
using Interchange::Track;

namespace {

// The longest song a page lays out, in quarter notes (a file may claim any length).
constexpr double kLongestExtent = 1e6;
// The waveform columns of all audio events of a page together, at most.
constexpr double kWaveColumns = 200000;
constexpr double kMostWaveColumnsPerEvent = 2048;

double finiteOr(double value, double fallback) { return std::isfinite(value) ? value : fallback; }

// "1 track", "2 tracks".
std::string counted(std::size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// The song's time: bars and beats from the first signature, seconds from the tempo.
struct Meter {
    double tempo = 120;
    int numerator = 4;
    int denominator = 4;
    double beat() const { return 4.0 / denominator; }
    double bar() const { return numerator * beat(); }
    double seconds(double quarters) const { return quarters * 60 / tempo; }
    // "3.2": bar 3, beat 2 (both from 1).
    std::string position(double quarters) const {
        const double q = std::max(0.0, finiteOr(quarters, 0));
        const double bars = std::floor(q / bar() + 1e-9);
        const double beats = std::floor((q - bars * bar()) / beat() + 1e-9);
        return number(bars + 1, 0) + "." + number(beats + 1, 0);
    }
};

Meter meterOf(const Song& song) {
    Meter m;
    if (std::isfinite(song.tempo) && song.tempo > 0) m.tempo = song.tempo;
    if (song.numerator > 0 && song.numerator <= 64) m.numerator = song.numerator;
    if (song.denominator > 0 && song.denominator <= 64) m.denominator = song.denominator;
    return m;
}

double clipEnd(const Clip& c) { return finiteOr(c.time, 0) + std::max(0.0, finiteOr(c.duration, 0)); }

// Where the last part, event or automation point of the song ends.
double contentEnd(const Song& song) {
    double end = 0;
    for (const Track& t : song.tracks) {
        for (const Clip& c : t.clips) end = std::max(end, clipEnd(c));
        for (const auto& lane : t.automation)
            for (const auto& p : lane.points) end = std::max(end, finiteOr(p.time, 0));
    }
    return end;
}

std::string colourOf(const Track& t) {
    if (!t.colour) return "#8c8c8c";
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", *t.colour & 0xFFFFFFu);
    return text;
}

const char* kindName(Track::Kind kind) {
    switch (kind) {
    case Track::Kind::Instrument: return "Instrument track";
    case Track::Kind::Audio: return "Audio track";
    case Track::Kind::Effect: return "Effect track";
    case Track::Kind::Folder: return "Folder";
    case Track::Kind::Master: return "Output";
    }
    return "Track";
}

const char* kindClass(Track::Kind kind) {
    switch (kind) {
    case Track::Kind::Instrument: return "instrument";
    case Track::Kind::Audio: return "audio";
    case Track::Kind::Effect: return "effect";
    case Track::Kind::Folder: return "folder";
    case Track::Kind::Master: return "output";
    }
    return "track";
}

const Device* instrumentOf(const Track& t) {
    if (!t.channel) return nullptr;
    for (const Device& d : t.channel->devices)
        if (d.role == Device::Role::Instrument) return &d;
    return nullptr;
}

// The position of a box: its start and length in quarter notes.
void appendPlace(std::string& out, double time, double duration) {
    out += "style=\"--t:";
    appendNumber(out, std::clamp(finiteOr(time, 0), 0.0, kLongestExtent), 4);
    out += ";--d:";
    appendNumber(out, std::clamp(finiteOr(duration, 0), 0.0, kLongestExtent), 4);
    out += '"';
}

void appendFlag(std::string& out, const char* letter, const char* what, bool on) {
    out += "<span class=\"flag";
    out += on ? " on\"" : "\"";
    out += " title=\"";
    out += what;
    out += on ? " on\">" : " off\">";
    out += letter;
    out += "<span class=\"sr\">";
    out += on ? " (" : " (not ";
    out += what;
    out += ")</span></span>";
}

// Volume, pan, mute and solo of a channel.
void appendChannelSettings(std::string& out, const Channel& c) {
    out += "<p class=\"settings\">";
    appendFlag(out, "M", "muted", c.mute);
    appendFlag(out, "S", "solo", c.solo);
    if (c.volume) out += " <span class=\"volume\">" + decibels(*c.volume) + "</span>";
    if (c.pan) out += " <span class=\"pan\" title=\"pan\">" + panText(*c.pan) + "</span>";
    out += "</p>";
}

class ArrangementWriter {
public:
    ArrangementWriter(const PageRequest& request, const Drawing& drawing)
        : request_(request), song_(*request.song), meter_(meterOf(song_)), drawing_(drawing) {
        const double bar = meter_.bar();
        const double end = contentEnd(song_);
        double fit = end > 0 ? end : finiteOr(song_.length.value_or(0), 0);
        fit = std::clamp(std::ceil(fit / bar - 1e-9) * bar, bar, kLongestExtent);
        double extent = std::max(fit, finiteOr(song_.length.value_or(0), 0));
        if (song_.cycle) extent = std::max(extent, finiteOr(song_.cycle->right, 0));
        fit_ = fit;
        extent_ = std::clamp(std::ceil(extent / bar - 1e-9) * bar, bar, kLongestExtent);

        std::size_t notes = 0;
        double waveColumns = 0;
        const double columnsPerQuarter = 2 * drawing_.overviewWidth / fit_;
        for (const Track& t : song_.tracks)
            for (const Clip& c : t.clips) {
                notes += c.notes.size();
                if (c.kind == Clip::Kind::Audio) waveColumns += wanted(c, columnsPerQuarter);
            }
        exactSong_ = notes <= drawing_.notesDrawnExactly;
        columnsPerQuarter_ = columnsPerQuarter;
        waveScale_ = waveColumns > kWaveColumns ? kWaveColumns / waveColumns : 1;
        for (std::size_t i = 0; i < song_.tracks.size(); ++i) {
            const Track& t = song_.tracks[i];
            if (t.channel && t.channel->mixerIndex >= 0) channelNames_[t.channel->mixerIndex] = t.name.utf8;
            if (t.fileNumber) trackByNumber_.emplace(*t.fileNumber, i);
        }
        if (request.diagnostics) notes_ = &request.diagnostics->notes;
    }

    std::string body() {
        std::string out;
        out.reserve(1 << 16);
        header(out);
        toolbar(out);
        arrangement(out);
        mixer(out);
        notCarried(out);
        return out;
    }

private:
    static double wanted(const Clip& c, double columnsPerQuarter) {
        return std::clamp(std::ceil(std::max(0.0, finiteOr(c.duration, 0)) * columnsPerQuarter), 16.0,
                          kMostWaveColumnsPerEvent);
    }

    std::size_t notCarriedOn(const Track& t) const {
        if (!notes_ || !t.fileNumber) return 0;
        return static_cast<std::size_t>(std::count_if(notes_->begin(), notes_->end(),
                                                      [&](const auto& n) { return n.track == *t.fileNumber; }));
    }

    void header(std::string& out) const {
        const Figures figures = figuresOf(song_);
        out += "<header class=\"page-head\">\n<h1>";
        appendEscaped(out, titleOf(request_));
        out += "</h1>\n<p class=\"facts\">Imported from <code>";
        appendEscaped(out, request_.projectFile.string());
        out += "</code> into ";
        appendEscaped(out, song_.hostName + " " + song_.hostVersion);
        out += " · <span class=\"tempo\">" + number(meter_.tempo, 3) + " bpm</span> · <span class=\"signature\">" +
               std::to_string(meter_.numerator) + "/" + std::to_string(meter_.denominator) + "</span>";
        if (song_.length)
            out += " · length " + number(*song_.length / meter_.bar(), 2) + " bars (" +
                   clockText(meter_.seconds(*song_.length)) + ")";
        if (song_.cycle)
            out += std::string(" · cycle ") + (song_.cycle->active ? "on" : "off") + ", bars " +
                   meter_.position(song_.cycle->left) + " to " + meter_.position(song_.cycle->right);
        out += "</p>\n<p class=\"counts\">" + counted(figures.tracks, "track") + " · " +
               counted(figures.parts, "MIDI part") + " · " + counted(figures.notes, "note") + " · " +
               counted(figures.audioEvents, "audio event");
        if (notes_)
            out += " · <a href=\"#not-carried\">Not carried: " + std::to_string(notes_->size()) + "</a>";
        out += "</p>\n";
        appendOutputLinks(out, request_.outputs);
        out += "</header>\n";
    }

    void toolbar(std::string& out) const {
        out += "<div class=\"toolbar\" role=\"toolbar\" aria-label=\"Arrangement\">"
               "<button type=\"button\" id=\"zoom-out\" title=\"Zoom out (-)\" aria-label=\"Zoom out\">&minus;</button>"
               "<button type=\"button\" id=\"zoom-fit\" title=\"Fit the song (0)\">Fit</button>"
               "<button type=\"button\" id=\"zoom-in\" title=\"Zoom in (+)\" aria-label=\"Zoom in\">+</button>"
               "<output id=\"zoom-level\"></output><output id=\"position\">1.1 · 0:00.000</output>";
        if (!request_.mix.empty()) {
            out += "<audio id=\"mix\" controls preload=\"metadata\" src=\"";
            appendEscaped(out, href(request_.mix));
            out += "\"></audio>";
        }
        out += "</div>\n";
    }

    void arrangement(std::string& out) {
        out += "<main id=\"arrangement\" class=\"arrangement\" data-tempo=\"" + number(meter_.tempo, 6) +
               "\" data-numerator=\"" + std::to_string(meter_.numerator) + "\" data-denominator=\"" +
               std::to_string(meter_.denominator) + "\" data-extent=\"" + number(extent_, 4) + "\" data-fit=\"" +
               number(fit_, 4) + "\" style=\"--extent:" + number(extent_, 4) + "\">\n";
        out += "<div id=\"scroller\" class=\"scroller\" tabindex=\"0\" aria-label=\"Arrangement: arrow keys "
               "scroll, + and - zoom, 0 fits the song\">\n<div class=\"timeline\">\n";
        out += "<div class=\"lane ruler-row\"><div class=\"head corner\">Bar</div>"
               "<div id=\"ruler\" class=\"body ruler\" title=\"Bars and beats; click to play from there\">";
        if (song_.cycle && song_.cycle->right > song_.cycle->left) {
            out += "<div class=\"cycle";
            out += song_.cycle->active ? "\" " : " off\" ";
            appendPlace(out, song_.cycle->left, song_.cycle->right - song_.cycle->left);
            out += " title=\"Cycle " + std::string(song_.cycle->active ? "on" : "off") + ": " +
                   meter_.position(song_.cycle->left) + " to " + meter_.position(song_.cycle->right) + "\"></div>";
        }
        out += "<div id=\"ruler-marks\" class=\"marks\"></div></div></div>\n";
        for (std::size_t i = 0; i < song_.tracks.size(); ++i)
            if (song_.tracks[i].kind != Track::Kind::Master) lane(out, i);
        if (song_.cycle && song_.cycle->active && song_.cycle->right > song_.cycle->left) {
            out += "<div class=\"cycle-band\" aria-hidden=\"true\" ";
            appendPlace(out, song_.cycle->left, song_.cycle->right - song_.cycle->left);
            out += "></div>";
        }
        out += "<div id=\"playhead\" class=\"playhead\" hidden></div>\n</div>\n</div>\n</main>\n";
    }

    void lane(std::string& out, std::size_t index) {
        const Track& t = song_.tracks[index];
        out += "<section class=\"lane track\" id=\"lane-" + std::to_string(index) + "\" data-kind=\"" +
               kindClass(t.kind) + "\" style=\"--colour:" + colourOf(t) + ";--depth:" +
               std::to_string(std::clamp(t.depth, 0, 16)) + "\" aria-label=\"";
        appendEscaped(out, std::string(kindName(t.kind)) + " " + t.name.utf8);
        out += "\">\n<div class=\"head\"><span class=\"swatch\" aria-hidden=\"true\"></span><div class=\"head-text\">"
               "<h3 class=\"name\">";
        appendEscaped(out, t.name.utf8);
        out += "</h3><p class=\"kind\">";
        out += kindName(t.kind);
        if (const Device* instrument = instrumentOf(t)) {
            out += " · <span class=\"instrument\">";
            appendEscaped(out, instrument->plugin);
            out += "</span>";
            if (instrument->preset) {
                out += " · preset <span class=\"preset\">";
                appendEscaped(out, instrument->preset->utf8);
                out += "</span>";
            }
        }
        out += "</p>";
        if (t.channel) appendChannelSettings(out, *t.channel);
        if (const std::size_t count = notCarriedOn(t)) {
            out += "<details class=\"track-notes\"><summary>" + std::to_string(count) +
                   " not carried</summary><ul>";
            for (const auto& n : *notes_)
                if (n.track == *t.fileNumber) {
                    out += "<li class=\"track-note\">";
                    appendEscaped(out, n.text);
                    out += "</li>";
                }
            out += "</ul></details>";
        }
        out += "</div></div>\n<div class=\"body\">";
        for (const Clip& c : t.clips) {
            if (c.kind == Clip::Kind::Notes)
                part(out, c);
            else
                audio(out, c);
        }
        automation(out, t);
        out += "</div>\n</section>\n";
    }

    void boxStart(std::string& out, const char* kind, const Clip& c, const std::string& title) const {
        out += "<div class=\"clip ";
        out += kind;
        out += c.muted ? " muted\" " : "\" ";
        appendPlace(out, c.time, c.duration);
        out += " title=\"";
        appendEscaped(out, title);
        out += "\"><span class=\"clip-name\">";
        appendEscaped(out, c.name.utf8);
        out += "</span>";
    }

    std::string span(const Clip& c) const {
        return meter_.position(c.time) + " to " + meter_.position(clipEnd(c));
    }

    void part(std::string& out, const Clip& c) const {
        std::string title = c.name.utf8 + ": " + span(c) + " · " + std::to_string(c.notes.size()) + " notes";
        if (!c.events.empty()) title += ", " + std::to_string(c.events.size()) + " controller events";
        if (c.muted) title += " · muted";
        boxStart(out, "part", c, title);
        const RollDrawing drawing{exactSong_ || c.notes.size() <= drawing_.fewNotes, columnsPerQuarter_};
        appendRoll(out, c, drawing);
        appendControllerCurves(out, c, drawing);
        out += "</div>";
    }

    void audio(std::string& out, const Clip& c) const {
        std::string title = c.name.utf8 + ": " + span(c);
        if (c.file) title += " · " + c.file->path.filename().string();
        if (c.gain) title += " · " + decibels(*c.gain);
        if (c.muted) title += " · muted";
        boxStart(out, "audio", c, title);
        const double length = std::max(0.0, finiteOr(c.duration, 0));
        const auto columns = static_cast<std::uint32_t>(
            std::max(8.0, std::floor(wanted(c, columnsPerQuarter_) * waveScale_)));
        std::optional<Waveform> wave;
        if (c.file && length > 0)
            wave = waveformOf(c.file->path, std::max(0.0, finiteOr(c.offset, 0)), meter_.seconds(length), columns);
        if (!wave) {
            out += "<span class=\"no-wave\">";
            out += c.file ? "the file cannot be read" : "no file";
            out += "</span></div>";
            return;
        }
        out += "<svg class=\"wave\" aria-hidden=\"true\" preserveAspectRatio=\"none\" viewBox=\"0 0 " +
               std::to_string(columns) + " 100\"><path class=\"peaks\" d=\"M0 ";
        // The highest samples left to right, then the lowest back.
        for (std::uint32_t i = 0; i < columns; ++i) {
            if (i > 0) out += 'L' + std::to_string(i) + ' ';
            appendNumber(out, 50 - 50 * wave->maximum[i], 1);
        }
        out += 'L' + std::to_string(columns) + ' ';
        appendNumber(out, 50 - 50 * wave->maximum[columns - 1], 1);
        for (std::uint32_t i = columns; i-- > 0;) {
            out += 'L' + std::to_string(i + 1 == columns ? columns : i + 1) + ' ';
            appendNumber(out, 50 - 50 * wave->minimum[i], 1);
        }
        out += "L0 ";
        appendNumber(out, 50 - 50 * wave->minimum[0], 1);
        out += "Z\"/>";
        // The fades: the part of the box they take out shaded, their line drawn.
        const double scale = length > 0 ? columns / length : 0;
        const double in = std::clamp(finiteOr(c.fadeIn, 0) * scale, 0.0, double(columns));
        const double fadeOut = std::clamp(finiteOr(c.fadeOut, 0) * scale, 0.0, double(columns));
        if (in > 0)
            out += "<path class=\"fade\" d=\"M0 0H" + number(in, 2) + "L0 100Z\"/><path class=\"fade-line\" d=\"M0 100L" +
                   number(in, 2) + " 0\"><title>fade in</title></path>";
        if (fadeOut > 0) {
            const std::string from = number(columns - fadeOut, 2), to = std::to_string(columns);
            out += "<path class=\"fade\" d=\"M" + from + " 0H" + to + "V100Z\"/><path class=\"fade-line\" d=\"M" + from +
                   " 0L" + to + " 100\"><title>fade out</title></path>";
        }
        out += "</svg></div>";
    }

    void automation(std::string& out, const Track& t) const {
        for (const auto& lane : t.automation) {
            if (lane.points.empty()) continue;
            const char* kind = lane.kind == Interchange::AutomationLane::Kind::Volume ? "volume"
                               : lane.kind == Interchange::AutomationLane::Kind::Pan ? "pan"
                                                                                     : "send level";
            out += "<svg class=\"automation auto-" + std::string(kind[0] == 's' ? "send" : kind) +
                   "\" role=\"img\" preserveAspectRatio=\"none\" viewBox=\"0 0 " + number(extent_, 4) +
                   " 100\" aria-label=\"" + kind + " automation, " + std::to_string(lane.points.size()) +
                   " points\"><path d=\"M0 ";
            const auto y = [](double v) { return 100 * (1 - std::clamp(finiteOr(v, 0), 0.0, 1.0)); };
            appendNumber(out, y(lane.points.front().value), 2);
            for (const auto& p : lane.points) {
                out += 'L';
                appendNumber(out, std::clamp(finiteOr(p.time, 0), 0.0, extent_), 4);
                out += ' ';
                appendNumber(out, y(p.value), 2);
            }
            out += 'L' + number(extent_, 4) + ' ';
            appendNumber(out, y(lane.points.back().value), 2);
            out += "\"/></svg>";
        }
    }

    void device(std::string& out, const Device& d, const char* where) const {
        out += "<li class=\"device";
        out += d.enabled ? " on\"" : " off\"";
        if (d.place == Device::Place::Insert) out += " value=\"" + std::to_string(d.slot + 1) + "\"";
        out += "><span class=\"where\">";
        out += where;
        if (d.place == Device::Place::Insert || d.place == Device::Place::Strip)
            out += " " + std::to_string(d.slot + 1);
        out += "</span> <span class=\"plugin\">";
        appendEscaped(out, d.plugin);
        out += "</span>";
        if (d.name.utf8 != d.plugin) {
            out += " <span class=\"preset\">";
            appendEscaped(out, d.name.utf8);
            out += "</span>";
        }
        out += d.enabled ? " <span class=\"state\">on</span>" : " <span class=\"state\">off</span>";
        out += "</li>";
    }

    void strip(std::string& out, const Track& t) const {
        const Channel& c = *t.channel;
        const char* role = c.role == Channel::Role::Master ? "master"
                           : c.role == Channel::Role::Effect ? "effect"
                                                             : "regular";
        out += "<section class=\"strip\" data-role=\"" + std::string(role) + "\" style=\"--colour:" + colourOf(t) +
               "\"><h3>";
        appendEscaped(out, t.name.utf8);
        out += "</h3><p class=\"strip-kind\">";
        out += c.role == Channel::Role::Master ? "Output" : c.role == Channel::Role::Effect ? "Effect channel" : kindName(t.kind);
        out += "</p>";
        appendChannelSettings(out, c);
        std::vector<const Device*> own, inserts;
        for (const Device& d : c.devices) {
            if (d.place == Device::Place::Insert)
                inserts.push_back(&d);
            else
                own.push_back(&d);
        }
        std::stable_sort(inserts.begin(), inserts.end(), [](const Device* a, const Device* b) { return a->slot < b->slot; });
        if (!own.empty()) {
            out += "<ul class=\"channel-devices\">";
            for (const Device* d : own)
                device(out, *d, d->place == Device::Place::InstrumentSlot ? "instrument"
                                : d->place == Device::Place::InputFilter  ? "input"
                                : d->place == Device::Place::ChannelEq    ? "EQ"
                                : d->place == Device::Place::Strip        ? "strip"
                                                                          : "limiter");
            out += "</ul>";
        }
        out += "<h4>Inserts</h4>";
        if (inserts.empty()) {
            out += "<p class=\"none\">none</p>";
        } else {
            out += "<ol class=\"inserts\">";
            for (const Device* d : inserts) device(out, *d, "slot");
            out += "</ol>";
        }
        if (!c.sends.empty()) {
            out += "<h4>Sends</h4><ol class=\"sends\">";
            for (const auto& s : c.sends) {
                out += "<li class=\"send";
                out += s.enabled ? " on\"" : " off\"";
                out += " value=\"" + std::to_string(s.slot + 1) + "\"><span class=\"where\">send " +
                       std::to_string(s.slot + 1) + "</span> → <span class=\"destination\">";
                const auto found = channelNames_.find(s.destination);
                appendEscaped(out, found != channelNames_.end() ? found->second : std::string("none"));
                out += "</span> " + decibels(s.volume) + (s.enabled ? " <span class=\"state\">on</span>" : " <span class=\"state\">off</span>") + "</li>";
            }
            out += "</ol>";
        }
        out += "</section>\n";
    }

    void mixer(std::string& out) const {
        out += "<section id=\"mixer\" class=\"mixer\" aria-labelledby=\"mixer-title\"><h2 id=\"mixer-title\">Mixer</h2>"
               "<div class=\"strips\">\n";
        for (const Track& t : song_.tracks)
            if (t.channel) strip(out, t);
        out += "</div></section>\n";
    }

    void notCarried(std::string& out) const {
        out += "<section id=\"not-carried\" class=\"not-carried\" aria-labelledby=\"not-carried-title\">"
               "<h2 id=\"not-carried-title\">Not carried";
        if (!notes_) {
            out += "</h2><p>The module told nothing of what it carried.</p></section>\n";
            return;
        }
        out += " (" + std::to_string(notes_->size()) + ")</h2>";
        if (notes_->empty()) {
            out += "<p>Everything the file held arrived in the host.</p></section>\n";
            return;
        }
        out += "<p>What the file held that the host did not get as it stood.</p><ol class=\"notes\">";
        for (const auto& n : *notes_) {
            out += "<li class=\"note\" data-kind=\"" + std::to_string(n.kind) + "\">";
            if (n.track >= 0) {
                const auto found = trackByNumber_.find(n.track);
                if (found != trackByNumber_.end()) {
                    out += "<a href=\"#lane-" + std::to_string(found->second) + "\">track " +
                           std::to_string(n.track) + " (";
                    appendEscaped(out, song_.tracks[found->second].name.utf8);
                    out += ")</a>: ";
                } else {
                    out += "track " + std::to_string(n.track) + ": ";
                }
            }
            appendEscaped(out, n.text);
            out += "</li>";
        }
        out += "</ol></section>\n";
    }

    const PageRequest& request_;
    const Song& song_;
    Meter meter_;
    Drawing drawing_;
    double fit_ = 16;
    double extent_ = 16;
    bool exactSong_ = true;
    double columnsPerQuarter_ = 1;
    double waveScale_ = 1;
    std::map<std::int32_t, std::string> channelNames_;
    std::map<std::int32_t, std::size_t> trackByNumber_;
    const std::vector<RefHost::DiagnosticNote>* notes_ = nullptr;
};

}  // namespace

Figures figuresOf(const Song& song) {
    Figures f;
    for (const Track& t : song.tracks) {
        if (t.kind == Track::Kind::Master) continue;
        ++f.tracks;
        for (const Clip& c : t.clips) {
            if (c.kind == Clip::Kind::Audio) {
                ++f.audioEvents;
            } else {
                ++f.parts;
                f.notes += c.notes.size();
            }
        }
    }
    f.length = std::max(finiteOr(song.length.value_or(0), 0), contentEnd(song));
    f.seconds = meterOf(song).seconds(f.length);
    return f;
}

std::string arrangementBody(const PageRequest& request, const Drawing& drawing) {
    return ArrangementWriter(request, drawing).body();
}

}  // namespace View
