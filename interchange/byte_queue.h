// Bytes handed from one thread to another through a few blocks of memory: the writer of
// project.xml fills them while libzip, in the thread that closes the container, reads and
// compresses them. The queue holds at most a few MiB, so a document of any size is never
// whole in memory nor on disk, and writing and compressing run side by side.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace Interchange {

// Where a writer's bytes go.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False when the bytes cannot be taken (the reader has gone).
    virtual bool write(const char* data, std::size_t size) = 0;
};

class ByteQueue : public ByteSink {
public:
    static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
    static constexpr std::size_t kBlocks = 4;

    // The writer's side: waits while the queue is full; false once the reader cancelled.
    bool write(const char* data, std::size_t size) override;
    // The writer is done: what it wrote is all there is.
    void finish();

    // The reader's side: up to size bytes, waiting for them; 0 at the end.
    std::size_t read(void* data, std::size_t size);
    // The reader stops: the writer's next write fails.
    void cancel();

private:
    void pushCurrent();  // with the lock held

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> full_;
    std::vector<char> current_;   // the block being filled (writer only)
    std::vector<char> reading_;   // the block being read (reader only)
    std::size_t readAt_ = 0;
    bool finished_ = false;
    bool cancelled_ = false;
};

}  // namespace Interchange
