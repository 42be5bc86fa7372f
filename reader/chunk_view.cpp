#include "reader/chunk_view.h"

#include <algorithm>
#include <exception>

#include "reader/reader_error.h"

namespace Tessaro {

ChunkView::ChunkView(FileReader& file, std::string_view id, std::uint32_t index,
                     std::uint64_t offset)
    : file_(file), idSize_(std::min(id.size(), sizeof id_)), index_(index), offset_(offset),
      bodyStart_(file.position()), lastField_(file.position()) {
    std::copy_n(id.begin(), idSize_, id_);
}

std::uint32_t ChunkView::readSize(std::uint32_t minimum, const char* message) {
    const std::uint64_t at = fieldOffset();
    declared_ = u32(message);
    bodyStart_ = file_.position();
    if (declared_ < minimum) failAt(message, at);
    return declared_;
}

std::uint64_t ChunkView::left() const {
    const std::uint64_t read = consumed();
    const std::uint64_t declaredLeft = declared_ > read ? declared_ - read : 0;
    return std::min(declaredLeft, file_.leftInFile());
}

std::u16string ChunkView::text() {
    lastField_ = file_.position();
    if (auto text = file_.readString()) return std::move(*text);
    // The app's reader takes the count and gives up on the text.
    std::uint8_t count[2];
    static_cast<void>(file_.readBytes(count, sizeof count));
    return {};
}

void ChunkView::skip(std::uint64_t bytes, std::string_view message) {
    if (!file_.skip(bytes)) fail(std::string(message));
}

void ChunkView::skip(std::uint64_t bytes) {
    skip(bytes, "Could not skip in chunk " + std::string(id()));
}

void ChunkView::requireRecords(std::uint64_t count, std::uint64_t stride, const Field* begin,
                               const Field* end) const {
    const std::uint64_t have = left();
    // Compared by division: count × stride may not fit in 64 bits.
    if (stride == 0 || count <= have / stride) return;
    // The first record that does not fit begins behind the whole ones; cut is what the
    // chunk holds of it.
    const std::uint64_t record = fieldOffset() + have / stride * stride;
    const std::uint64_t cut = have % stride;
    std::uint64_t fieldEnd = 0;
    for (const Field* field = begin; field != end; ++field) {
        const std::uint64_t fieldBegin = fieldEnd;
        fieldEnd += field->size;
        if (cut < fieldEnd) failAt(field->message, record + fieldBegin);
    }
    failAt(begin->message, record + stride);
}

void ChunkView::skipToEnd() {
    const std::uint64_t read = consumed();
    if (read < declared_)
        skip(declared_ - read, "Could not skip to the end of chunk " + std::string(id()));
}

SubRange::SubRange(ChunkView& chunk, std::uint64_t size, const char* message)
    : chunk_(chunk), begin_(chunk.fieldOffset()), size_(size), message_(message),
      unwinding_(std::uncaught_exceptions()) {
    const std::uint64_t read = chunk.consumed();
    const std::uint64_t declaredLeft = chunk.declared_ > read ? chunk.declared_ - read : 0;
    if (size > declaredLeft && size > chunk.leftInFile()) failAt(message, chunk.lastField_);
}

SubRange::~SubRange() noexcept(false) {
    // Dropped while a failure passes through, it leaves the reader where the failure was.
    if (!finished_ && std::uncaught_exceptions() == unwinding_) finish();
}

std::uint64_t SubRange::left() const {
    const std::uint64_t read = consumed();
    return std::min(size_ > read ? size_ - read : 0, chunk_.leftInFile());
}

void SubRange::finish() {
    if (finished_) return;
    finished_ = true;
    const std::uint64_t read = consumed();
    if (read < size_) chunk_.skip(size_ - read, message_);
}

}  // namespace Tessaro
