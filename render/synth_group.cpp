#include "render/synth_group.h"

#include <fluidsynth.h>

#include <algorithm>

#include "render/soundfont.h"

namespace Render {

namespace {

constexpr int kChannelsPerPort = 16;
constexpr int kVoicesPerTrack = 256;
constexpr int kMostVoices = 65535;
constexpr int kSustain = 64;

std::string soundText(std::int32_t bank, std::int32_t program) {
    return "bank " + std::to_string(bank) + " program " + std::to_string(program);
}

}  // namespace

SynthGroup::SynthGroup(const std::filesystem::path& soundfont, double sampleRate, std::vector<Member> members,
                       const TimeScale& time)
    : members_(std::move(members)), played_(members_.size()) {
    quietSynthesizer();
    const int tracks = static_cast<int>(members_.size());
    settings_ = new_fluid_settings();
    if (!settings_) throw RenderError("cannot start the synthesizer");
    const bool set = fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.reverb.active", 0) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.chorus.active", 0) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.cpu-cores", 1) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.threadsafe-api", 0) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.lock-memory", 0) == FLUID_OK &&
                     fluid_settings_setint(
                         settings_, "synth.midi-channels",
                         (tracks + kChannelsPerPort - 1) / kChannelsPerPort * kChannelsPerPort) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.audio-channels", tracks) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.audio-groups", tracks) == FLUID_OK &&
                     fluid_settings_setint(settings_, "synth.polyphony",
                                           std::min(kMostVoices, kVoicesPerTrack * tracks)) == FLUID_OK;
    if (!set) {
        delete_fluid_settings(settings_);
        settings_ = nullptr;
        throw RenderError("cannot render at " + std::to_string(static_cast<long long>(sampleRate)) +
                          " Hz: the synthesizer plays 8000 to 96000 Hz");
    }
    synth_ = new_fluid_synth(settings_);
    if (!synth_) {
        delete_fluid_settings(settings_);
        throw RenderError("cannot start the synthesizer");
    }
    font_ = fluid_synth_sfload(synth_, soundfont.c_str(), 0);
    if (font_ == FLUID_FAILED) {
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
        throw RenderError("cannot load the soundfont " + soundfont.string() + ": " + lastSynthError());
    }
    outputs_.resize(2 * members_.size());
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const Member& m = members_[i];
        const int channel = static_cast<int>(i);
        fluid_synth_set_channel_type(synth_, channel,
                                     m.sound.drums ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
        select(i, m.sound.program, true);
        const auto messages = trackMessages(*m.track, time, static_cast<std::uint16_t>(i), *m.leftOut);
        messages_.insert(messages_.end(), messages.begin(), messages.end());
    }
    std::sort(messages_.begin(), messages_.end());
}

SynthGroup::~SynthGroup() {
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
}

// Chooses the program of the member's bank; a preset the soundfont lacks plays program 0
// of the bank, and is listed.
void SynthGroup::select(std::size_t lane, std::int32_t program, bool initial) {
    Member& m = members_[lane];
    const int channel = static_cast<int>(lane);
    const std::int32_t bank = m.sound.bank;
    fluid_sfont_t* font = fluid_synth_get_sfont_by_id(synth_, font_);
    fluid_preset_t* preset = font ? fluid_sfont_get_preset(font, bank, program) : nullptr;
    if (!preset) {
        fluid_preset_t* first = font ? fluid_sfont_get_preset(font, bank, 0) : nullptr;
        m.leftOut->add(first ? "presets the soundfont lacks, played as program 0 of their bank"
                             : "presets the soundfont lacks, with no program 0 of their bank: not heard",
                       m.track->name.utf8, {}, soundText(bank, program));
        program = 0;
        preset = first;
    }
    if (preset) {
        fluid_synth_program_select(synth_, channel, font_, bank, program);
    } else {
        fluid_synth_unset_program(synth_, channel);
    }
    if (initial) played_[lane] = {bank, program, preset ? fluid_preset_get_name(preset) : ""};
}

void SynthGroup::send(const MidiMessage& message) {
    const int channel = message.lane;
    switch (message.type) {
        case MidiMessage::Type::Note:
            if (message.kind == MidiMessage::Kind::NoteOn)
                fluid_synth_noteon(synth_, channel, message.first, message.second);
            else
                fluid_synth_noteoff(synth_, channel, message.first);
            break;
        case MidiMessage::Type::Controller:
            fluid_synth_cc(synth_, channel, message.first, message.second);
            break;
        case MidiMessage::Type::PitchBend:
            fluid_synth_pitch_bend(synth_, channel, message.first);
            break;
        case MidiMessage::Type::Pressure:
            fluid_synth_channel_pressure(synth_, channel, message.first);
            break;
        case MidiMessage::Type::Program:
            select(message.lane, message.first, false);
            break;
    }
}

void SynthGroup::render(std::int64_t at, std::int32_t frames) {
    for (const Member& m : members_) {
        std::fill(m.left, m.left + frames, 0.0f);
        std::fill(m.right, m.right + frames, 0.0f);
    }
    std::int32_t done = 0;
    while (done < frames) {
        // What is due by now goes to the synthesizer, which takes it from its next block of
        // 64 frames on (the same grid from frame 0 whatever the blocks here are).
        for (; next_ < messages_.size() && messages_[next_].frame <= at + done; ++next_)
            send(messages_[next_]);
        const std::int64_t until = next_ < messages_.size()
                                       ? std::min<std::int64_t>(messages_[next_].frame, at + frames)
                                       : at + frames;
        const auto span = static_cast<std::int32_t>(until - (at + done));
        for (std::size_t i = 0; i < members_.size(); ++i) {
            outputs_[2 * i] = members_[i].left + done;
            outputs_[2 * i + 1] = members_[i].right + done;
        }
        fluid_synth_process(synth_, span, 0, nullptr, static_cast<int>(outputs_.size()), outputs_.data());
        done += span;
    }
}

void SynthGroup::release() {
    for (std::size_t i = 0; i < members_.size(); ++i)
        fluid_synth_cc(synth_, static_cast<int>(i), kSustain, 0);
    fluid_synth_all_notes_off(synth_, -1);
}

bool SynthGroup::sounding() const { return fluid_synth_get_active_voice_count(synth_) > 0; }

}  // namespace Render
