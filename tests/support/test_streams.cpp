#include "tests/support/test_streams.h"

#include <algorithm>
#include <cstring>

namespace TessaroTest {

Host::tresult BufferStream::queryInterface(const Host::FUID& interfaceId, void** obj) {
    if (!obj) return Host::kInvalidArgument;
    if (interfaceId == Host::FUnknown::iid || interfaceId == Host::IBStream::iid) {
        addRef();
        *obj = static_cast<Host::IBStream*>(this);
        return Host::kResultOk;
    }
    *obj = nullptr;
    return Host::kNoInterface;
}

Host::uint32 BufferStream::addRef() { return ++count_; }

Host::uint32 BufferStream::release() {
    if (count_ == 0) {
        ++overReleased_;
        return 0;
    }
    return --count_;
}

Host::tresult BufferStream::read(void* buffer, Host::int32 numBytes, Host::int32* numBytesRead) {
    ++reads_;
    if (numBytesRead) *numBytesRead = 0;
    if (numBytes < 0 || (!buffer && numBytes > 0)) return Host::kInvalidArgument;
    const Host::int64 size = static_cast<Host::int64>(bytes_.size());
    const Host::int64 available = std::max<Host::int64>(size - position_, 0);
    const auto n = static_cast<Host::int32>(
        std::min<Host::int64>({static_cast<Host::int64>(piece(numBytes)), available}));
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    if (numBytesRead) *numBytesRead = n;
    return Host::kResultOk;
}

Host::tresult BufferStream::write(const void*, Host::int32, Host::int32* numBytesWritten) {
    if (numBytesWritten) *numBytesWritten = 0;
    return Host::kResultFalse;  // read-only, as a project file opened for reading
}

Host::tresult BufferStream::seek(Host::int64 pos, Host::int32 mode, Host::int64* result) {
    Host::int64 base = 0;
    if (mode == kSeekCur) base = position_;
    else if (mode == kSeekEnd) base = static_cast<Host::int64>(bytes_.size());
    else if (mode != kSeekSet) return Host::kInvalidArgument;
    if (pos < -base) return Host::kInvalidArgument;
    position_ = base + pos;
    if (result) *result = position_;
    return Host::kResultOk;
}

Host::tresult BufferStream::tell(Host::int64* pos) {
    if (!pos) return Host::kInvalidArgument;
    *pos = position_;
    return Host::kResultOk;
}

Host::int32 PieceStream::piece(Host::int32 asked) {
    next_ = next_ % 7 + 1;
    return std::min(asked, next_);
}

Host::tresult FaultyStream::seek(Host::int64 pos, Host::int32 mode, Host::int64* result) {
    const bool fails = fault_ == Fault::AnySeek || (fault_ == Fault::SeekToEnd && mode == kSeekEnd) ||
                       (fault_ == Fault::SeekToStart && mode == kSeekSet && pos == 0);
    if (fails) return Host::kResultFalse;
    return BufferStream::seek(pos, mode, result);
}

Host::tresult FaultyStream::tell(Host::int64* pos) {
    if (fault_ == Fault::Tell) return Host::kResultFalse;
    return BufferStream::tell(pos);
}

}  // namespace TessaroTest
