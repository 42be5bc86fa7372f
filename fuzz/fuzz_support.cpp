#include "fuzz/fuzz_support.h"

#include <fstream>
#include <stdexcept>

#include "module/import_run.h"
#include "refhost/report.h"

namespace TessaroFuzz {

namespace fs = std::filesystem;

namespace {

struct WaveFile {
    const char* relative;
    std::uint32_t rate;
    std::uint16_t bits;
    std::uint16_t channels;
    std::uint32_t frames;
};

constexpr WaveFile kWaves[] = {
    {"audio.wav", 44100, 16, 2, 1000},
    {"vocals.wav", 44100, 16, 1, 1000},
    {"drums48k.wav", 48000, 16, 2, 1100},
    {"pad24.wav", 44100, 24, 2, 1000},
    {"Audio/loop.wav", 44100, 16, 2, 1000},
};

void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A PCM wave file holding a quiet saw tone.
std::vector<std::uint8_t> waveBytes(const WaveFile& w) {
    const std::uint32_t frameBytes = w.channels * (w.bits / 8u);
    const std::uint32_t dataBytes = frameBytes * w.frames;
    std::vector<std::uint8_t> b;
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put32(b, 36 + dataBytes);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(b, 16);
    put16(b, 1);
    put16(b, w.channels);
    put32(b, w.rate);
    put32(b, w.rate * frameBytes);
    put16(b, frameBytes);
    put16(b, w.bits);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put32(b, dataBytes);
    for (std::uint32_t f = 0; f < w.frames; ++f) {
        const std::uint32_t sample = (f * 97u) & 0x0FFF;
        for (std::uint16_t c = 0; c < w.channels; ++c)
            for (std::uint16_t i = 0; i < w.bits / 8; ++i)
                b.push_back(static_cast<std::uint8_t>(sample >> (8 * i)));
    }
    return b;
}

// What importProject does around the read when the read gets another stream: the run's
// host interfaces, the host's name and version and the mixer flag, then the read, the
// emptied lists and the outcome's message.
int runWithStream(Tessaro::TessaroImporter& importer, Host::IBStream* stream) {
    if (!importer.host.learnHost()) return 1;
    const int result = importer.readAndBuild(stream);
    importer.song.lists = {};
    if (result == 0) importer.host.showMessage(kCompleted);
    importer.host.endRun();
    return result;
}

}  // namespace

std::vector<fs::path> writeWaveSet(const fs::path& projectFolder) {
    std::vector<fs::path> written;
    for (const WaveFile& w : kWaves) {
        const fs::path file = projectFolder / w.relative;
        fs::create_directories(file.parent_path());
        const auto bytes = waveBytes(w);
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + file.string());
        written.push_back(file);
    }
    return written;
}

RunResult importWith(RefHost::ReferenceHost& host, const fs::path& projectFile,
                     Host::IBStream* stream, Report report) {
    RunResult run;
    // What the filter does: initialize takes a reference to the host context,
    // importProject runs one importer over the path and the target, terminate lets the
    // context go.
    Host::IHostContext* context = nullptr;
    host.lendContext()->queryInterface(Host::IHostContext::iid, reinterpret_cast<void**>(&context));
    {
        Tessaro::TessaroImporter importer(host.lendPath(projectFile), host.lendImportTarget(),
                                          context);
        run.result = stream ? runWithStream(importer, stream) : importer.run();
        run.readError = importer.readError;
        run.diagnostics = importer.diagnostics();
    }
    if (context) context->release();
    for (const auto& m : host.records().messages) run.messages.push_back(m.text);
    run.references = host.account().findings();
    if (report == Report::Make) run.report = RefHost::reportText(RefHost::makeReport(host, run.result));
    return run;
}

}  // namespace TessaroFuzz
