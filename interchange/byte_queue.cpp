#include "interchange/byte_queue.h"

#include <algorithm>
#include <cstring>

namespace Interchange {

void ByteQueue::pushCurrent() {
    full_.push_back(std::move(current_));
    current_ = {};
    changed_.notify_all();
}

bool ByteQueue::write(const char* data, std::size_t size) {
    while (size > 0) {
        if (current_.capacity() < kBlockSize) current_.reserve(kBlockSize);
        const std::size_t n = std::min(size, kBlockSize - current_.size());
        current_.insert(current_.end(), data, data + n);
        data += n;
        size -= n;
        if (current_.size() == kBlockSize) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return cancelled_ || full_.size() < kBlocks; });
            if (cancelled_) return false;
            pushCurrent();
        }
    }
    std::lock_guard lock(mutex_);
    return !cancelled_;
}

void ByteQueue::finish() {
    std::lock_guard lock(mutex_);
    if (!current_.empty()) pushCurrent();
    finished_ = true;
    changed_.notify_all();
}

std::size_t ByteQueue::read(void* data, std::size_t size) {
    auto* out = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        if (readAt_ == reading_.size()) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return !full_.empty() || finished_; });
            if (full_.empty()) break;  // finished and drained
            reading_ = std::move(full_.front());
            full_.pop_front();
            readAt_ = 0;
            changed_.notify_all();
        }
        const std::size_t n = std::min(size - done, reading_.size() - readAt_);
        std::memcpy(out + done, reading_.data() + readAt_, n);
        readAt_ += n;
        done += n;
    }
    return done;
}

void ByteQueue::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    full_.clear();
    changed_.notify_all();
}

}  // namespace Interchange
