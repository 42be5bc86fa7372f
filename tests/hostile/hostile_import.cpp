#include "tests/hostile/hostile_import.h"

#include <memory>

#include "tests/hostile/allocation_meter.h"
#include "tests/support/test_streams.h"

namespace TessaroHostile {

HostileRun importHostile(std::span<const std::uint8_t> bytes, Delivery delivery) {
    TessaroTest::TempFolder folder;
    TessaroFuzz::writeWaveSet(folder.path());
    const auto file = folder.write("project.tsp", bytes);
    auto host = TessaroTest::makeHost();
    host->setProjectFolder(folder.path());

    std::unique_ptr<TessaroTest::BufferStream> stream;
    if (delivery == Delivery::Whole) stream = std::make_unique<TessaroTest::BufferStream>(bytes);
    if (delivery == Delivery::Pieces) stream = std::make_unique<TessaroTest::PieceStream>(bytes);

    HostileRun run;
    AllocationMeter::reset();
    static_cast<TessaroFuzz::RunResult&>(run) =
        TessaroFuzz::importWith(*host, file, stream.get(), TessaroFuzz::Report::Make);
    run.peakBytes = AllocationMeter::peakSinceReset();
    if (stream && (stream->count() != 1 || stream->overReleased() != 0))
        run.messages.push_back("stream reference count " + std::to_string(stream->count()));
    return run;
}

}  // namespace TessaroHostile
