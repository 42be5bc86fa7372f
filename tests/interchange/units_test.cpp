// The host's scales read back into real units, and the small text helpers of the writers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "hostkit/fader.h"
#include <thread>
#include <vector>

#include "interchange/byte_queue.h"
#include "interchange/host_units.h"
#include "interchange/left_out.h"
#include "interchange/xml_writer.h"

using namespace Interchange;

TEST(HostUnits, FaderValuesReadBackAsTheGainsOfEachPieceOfTheLaw) {
    struct Case {
        FaderScale scale;
        double value;
        double gain;
    };
    const Case cases[] = {
        {FaderScale::Newer, 24517, 1},                      // the centre is 0 dB exactly
        {FaderScale::Newer, 32767, 4.000000000000001},      // +12 dB at the top
        {FaderScale::Newer, 10813, 0.1},                    // -20 dB, where two pieces meet
        {FaderScale::Newer, 329, 3.162292811571151e-05},    // about -90 dB
        {FaderScale::Newer, 100, 100 * 3.162277660168e-5 / 329},
        {FaderScale::Older, 25856, 1},
        {FaderScale::Older, 32767, 1.9999999974400002},     // +6 dB at the top
        {FaderScale::Older, 18705, 0.5011872336272722},     // -6 dB: the step that holds it
        {FaderScale::Older, 20000, 0.5915178570300001},      // the middle piece
        {FaderScale::Older, 18000, 0.46386260604},           // the bottom piece
        {FaderScale::Older, 1000, 0.00143167471},
        {FaderScale::Newer, 0, 0},
        {FaderScale::Older, -3, 0},
        {FaderScale::Newer, std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_NEAR(faderGain(c.scale, c.value), c.gain, c.gain * 1e-12);
    }
}

TEST(HostUnits, EveryGainComesBackWithinTheFaderStepTheBuilderTruncatedTo) {
    // The builder's conversion, truncated as the host keeps it, read back: the gain lies
    // between the values of that step and the next.
    for (const auto scale : {FaderScale::Newer, FaderScale::Older}) {
        for (const float gain : {0.00002f, 0.001f, 0.05f, 0.2f, 0.5f, 0.8f, 0.9999f, 1.1f, 2.0f, 3.5f}) {
            SCOPED_TRACE(std::to_string(gain) + (scale == FaderScale::Newer ? " newer" : " older"));
            const double value = Tessaro::faderValue(scale == FaderScale::Newer ? Tessaro::FaderScale::Newer : Tessaro::FaderScale::Older, 22, gain);
            if (value > kFaderTop) continue;  // beyond the older scale's +6 dB
            if (value == faderCentre(scale)) {  // snapped to 0 dB
                EXPECT_EQ(faderGain(scale, value), 1);
                continue;
            }
            const double step = std::trunc(value);
            EXPECT_LE(faderGain(scale, step), gain * (1 + 1e-6));
            EXPECT_GE(faderGain(scale, step + 1), gain * (1 - 1e-6));
        }
    }
}

TEST(HostUnits, PansAndControlRangesSpanTheirRealUnits) {
    EXPECT_EQ(panPosition(16383.5, 32767), 0.5);
    EXPECT_EQ(panPosition(0, 32767), 0);
    EXPECT_EQ(panPosition(32767, 32767), 1);
    EXPECT_EQ(panPosition(40000, 32767), 1);
    EXPECT_EQ(panPosition(std::nan(""), 32767), 0.5);

    EXPECT_NEAR(kEqFrequency.at(500, 1000), 632.4555320336758, 1e-9);  // 20 × 1000^0.5
    EXPECT_EQ(kEqFrequency.at(0, 1000), 20);
    EXPECT_EQ(kEqFrequency.at(2000, 1000), 20000);
    EXPECT_NEAR((ControlRange{-24, 24, Curve::Linear}.at(264, 480)), 2.4, 1e-12);
    EXPECT_NEAR((ControlRange{1, 20, Curve::Logarithmic}.at(50, 100)), 4.47213595499958, 1e-12);

    const DeviceReading* gate = deviceReading("Noise Gate");
    ASSERT_NE(gate, nullptr);
    EXPECT_EQ(gate->device, GenericDevice::NoiseGate);
    EXPECT_EQ(gate->controls.size(), 4u);
    EXPECT_EQ(deviceReading("Hallvane Lite"), nullptr);
    EXPECT_EQ(eqReading("Channel EQ")->base, 4500);
    EXPECT_FALSE(eqReading("Compressor"));
}

TEST(XmlText, WhatXmlCannotCarryBecomesTheReplacementCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {"Piano", "Piano"},
        {"Tab\tand line\n", "Tab\tand line\n"},
        {"Bell\x07", "Bell\xEF\xBF\xBD"},
        {"Cut \xC3", "Cut \xEF\xBF\xBD"},                      // a sequence cut short
        {"\xEF\xBF\xBE", "\xEF\xBF\xBD"},                      // U+FFFE
        {"\xED\xA0\x80", "\xEF\xBF\xBD"},                      // an encoded surrogate
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(in);
        EXPECT_EQ(xmlSafe(in), out);
        EXPECT_EQ(needsXmlSafe(in), in != out);
    }
    EXPECT_EQ(numberText(0.375), "0.375");
    EXPECT_EQ(numberText(120), "120");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(std::nan("")), "0");
}

TEST(LeftOutList, EqualEntriesAreCountedOnce) {
    LeftOutList list;
    list.add("notes with a key outside 0 to 127", "Lead", "Riff");
    list.add("cycle", {}, {}, "on");
    list.add("notes with a key outside 0 to 127", "Lead", "Riff");
    list.add("notes with a key outside 0 to 127", "Lead", "Other");
    ASSERT_EQ(list.entries().size(), 3u);
    EXPECT_EQ(list.entries()[0].count, 2u);
    EXPECT_EQ(list.entries()[1].value, "on");
    EXPECT_EQ(list.entries()[2].clip, "Other");
}

TEST(LeftOutList, EntriesBackToBackThatDifferInOneFieldStayApart) {
    // The last entry is compared first (many notes of one part): each field counts there.
    struct Case {
        const char* name;
        LeftOut second;
    };
    const LeftOut first{"tempo beyond the format", "Lead", "Riff", "1000"};
    const Case cases[] = {
        {"what", {"signature beyond the format", "Lead", "Riff", "1000"}},
        {"track", {"tempo beyond the format", "Pad", "Riff", "1000"}},
        {"clip", {"tempo beyond the format", "Lead", "Other", "1000"}},
        {"value", {"tempo beyond the format", "Lead", "Riff", "2000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LeftOutList list;
        list.add(first.what, first.track, first.clip, first.value);
        list.add(c.second.what, c.second.track, c.second.clip, c.second.value);
        list.add(c.second.what, c.second.track, c.second.clip, c.second.value);
        ASSERT_EQ(list.entries().size(), 2u);
        EXPECT_EQ(list.entries()[0].count, 1u);
        EXPECT_EQ(list.entries()[1].count, 2u);
        EXPECT_EQ(list.entries()[1].what + list.entries()[1].track + list.entries()[1].clip +
                      list.entries()[1].value,
                  c.second.what + c.second.track + c.second.clip + c.second.value);
    }
}

TEST(ByteQueue, CarriesEveryByteInOrderAndStopsTheWriterWhenTheReaderGoes) {
    ByteQueue queue;
    std::vector<char> written(5 * ByteQueue::kBlockSize + 12345);
    for (std::size_t i = 0; i < written.size(); ++i) written[i] = static_cast<char>(i * 7 + i / 1000);
    bool accepted = false;
    std::thread writer([&] {
        accepted = queue.write(written.data(), 1000) && queue.write(written.data() + 1000, written.size() - 1000);
        queue.finish();
    });
    std::vector<char> read;
    char piece[4099];
    while (const std::size_t n = queue.read(piece, sizeof piece)) read.insert(read.end(), piece, piece + n);
    writer.join();
    EXPECT_TRUE(accepted);
    EXPECT_EQ(read, written);

    // A reader that stops early: the writer of ten blocks, waiting on the full queue (four
    // blocks), gives up.
    ByteQueue stopped;
    const std::vector<char> large(10 * ByteQueue::kBlockSize, 'x');
    bool refused = false;
    std::thread blocked([&] { refused = !stopped.write(large.data(), large.size()); stopped.finish(); });
    EXPECT_EQ(stopped.read(piece, sizeof piece), sizeof piece);
    stopped.cancel();
    blocked.join();
    EXPECT_TRUE(refused);
}
