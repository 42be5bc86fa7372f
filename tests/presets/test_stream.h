// A growable in-memory byte stream for the preset file tests, with faults that can be
// switched on per call: a write that reports fewer bytes, a write that is "not
// implemented", a seek that lands elsewhere, a tell that fails.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#include "interfaces/ibstream.h"

namespace PresetTests {

class TestStream : public Host::IBStream {
public:
    enum class WriteFault { None, Short, NotImplemented };

    std::vector<std::uint8_t> bytes;
    std::int64_t position = 0;

    // The 1-based number of the write or seek call that misbehaves (0: none).
    int faultyWrite = 0;
    WriteFault writeFault = WriteFault::None;
    int faultySeek = 0;
    int faultyTell = 0;

    int writeCalls = 0;
    int seekCalls = 0;
    int tellCalls = 0;

    Host::tresult queryInterface(const Host::FUID& id, void** obj) override {
        if (id == Host::FUnknown::iid || id == Host::IBStream::iid) {
            addRef();
            *obj = static_cast<Host::IBStream*>(this);
            return Host::kResultOk;
        }
        *obj = nullptr;
        return Host::kNoInterface;
    }
    // Lives on the test's stack; the count only shows that references are balanced.
    Host::uint32 addRef() override { return ++refs; }
    Host::uint32 release() override { return --refs; }

    Host::tresult read(void* buffer, Host::int32 n, Host::int32* got) override {
        const auto avail = static_cast<std::int64_t>(bytes.size()) - position;
        const auto take = static_cast<Host::int32>(std::clamp<std::int64_t>(avail, 0, n));
        if (take > 0) std::memcpy(buffer, bytes.data() + position, static_cast<std::size_t>(take));
        position += take;
        if (got) *got = take;
        return Host::kResultOk;
    }

    Host::tresult write(const void* buffer, Host::int32 n, Host::int32* written) override {
        ++writeCalls;
        Host::int32 count = n;
        Host::tresult result = Host::kResultOk;
        if (writeCalls == faultyWrite) {
            if (writeFault == WriteFault::Short) count = n > 0 ? n - 1 : 0;
            if (writeFault == WriteFault::NotImplemented) {
                count = 0;
                result = Host::kNotImplemented;
            }
        }
        const auto end = static_cast<std::size_t>(position) + static_cast<std::size_t>(count);
        if (bytes.size() < end) bytes.resize(end);
        if (count > 0)
            std::memcpy(bytes.data() + position, buffer, static_cast<std::size_t>(count));
        position += count;
        if (written) *written = count;
        return result;
    }

    Host::tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override {
        ++seekCalls;
        Host::int64 target = pos;
        if (mode == kSeekCur) target = position + pos;
        if (mode == kSeekEnd) target = static_cast<Host::int64>(bytes.size()) + pos;
        if (seekCalls == faultySeek) target += 1;  // lands one byte further on
        if (target < 0) return Host::kInvalidArgument;
        position = target;
        if (result) *result = position;
        return Host::kResultOk;
    }

    Host::tresult tell(Host::int64* pos) override {
        if (++tellCalls == faultyTell) return Host::kResultFalse;
        *pos = position;
        return Host::kResultOk;
    }

    std::atomic<Host::uint32> refs{1};
};

}  // namespace PresetTests
