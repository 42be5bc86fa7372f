// One chunk reader at a time, against the reference host: an importer prepared as the
// import run and the chunk loop prepare it, fed the bytes of one chunk behind its id. The
// reader's error text (which the chunk loop would swallow into the one general message)
// comes back for exact checks; the host's document shows what the reader built.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "hostkit/host_version.h"
#include "module/import_run.h"
#include "reader/chunks.h"
#include "tests/support/chunk_read.h"
#include "tests/support/host_access.h"
#include "tests/support/import_harness.h"
#include "tests/support/test_streams.h"
#include "tools/writer/project_file.h"

namespace TessaroTest {

class ChunkBench {
public:
    explicit ChunkBench(std::string_view profile = {},
                        const std::function<void(RefHost::Profile&)>& adjust = {})
        : host_(makeHost(profile, adjust)) {
        auto context = contextAs<Host::IHostContext>(*host_);
        importer_ = std::make_unique<Tessaro::TessaroImporter>(nullptr, host_->lendImportTarget(),
                                                               context.get());
        // What the import run learns of the host, and what the chunk loop prepares.
        importer_->host.learnHost();
        importer_->host.takeProject();
    }
    ~ChunkBench() { importer_.reset(); }

    Tessaro::TessaroImporter& importer() { return *importer_; }
    Tessaro::HostSession& session() { return importer_->host; }
    Tessaro::ImportNotes& notes() { return importer_->notes; }
    Tessaro::SongModel& song() { return importer_->song; }
    RefHost::ReferenceHost& host() { return *host_; }
    RefHost::Document& document() { return host_->document(); }

    // Runs reader over the chunk's bytes behind its 4-character id (size field and body);
    // returns the reader's error text, or nullopt when it read the chunk. The stream
    // delivers its bytes in small pieces.
    std::optional<std::string> read(ChunkReader reader, std::vector<std::uint8_t> chunk) {
        const std::string id(chunk.begin(), chunk.begin() + 4);
        chunk.erase(chunk.begin(), chunk.begin() + 4);
        PieceStream stream(std::move(chunk));
        const ChunkRead out = readOneChunk(reader, id, stream, session(), song(), &notes());
        if (!out.error.empty()) return out.error;
        lastRead_ = out;
        return std::nullopt;
    }
    template <class Chunk>
    std::optional<std::string> read(ChunkReader reader, const Chunk& chunk,
                                    std::uint16_t fileVersion) {
        return read(reader, TessaroWriter::encode(chunk, fileVersion));
    }

    // The body bytes the last successful read took from the stream.
    std::uint64_t consumedFromStream() const { return lastRead_.read - 4; }
    // The body bytes behind which the chunk loop reads the next chunk's id.
    std::uint64_t nextChunkAfter() const { return lastRead_.next - 4; }

    // Ends the importer and returns what the account found.
    RefHost::Findings finish() {
        importer_.reset();
        return host_->account().findings();
    }

private:
    std::unique_ptr<RefHost::ReferenceHost> host_;
    std::unique_ptr<Tessaro::TessaroImporter> importer_;
    ChunkRead lastRead_;
};

// The host's tracks in the project's order, folders included.
inline std::vector<RefHost::Node*> trackNodes(const RefHost::Document& document) {
    std::vector<RefHost::Node*> nodes;
    for (const auto& at : document.tracks()) nodes.push_back(at.node);
    return nodes;
}

}  // namespace TessaroTest
