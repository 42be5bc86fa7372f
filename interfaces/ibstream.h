// The host's byte stream: files opened through IFileAccess and memory streams.
#pragma once

#include "funknown.h"

namespace Host {

class IBStream : public FUnknown {
public:
    enum SeekMode : int32 { kSeekSet = 0, kSeekCur = 1, kSeekEnd = 2 };

    // Reads up to numBytes into buffer; *numBytesRead (may be null) gets the count read,
    // which may be fewer than asked, and 0 at the end of the stream.
    virtual tresult read(void* buffer, int32 numBytes, int32* numBytesRead) = 0;
    // Writes numBytes from buffer; *numBytesWritten (may be null) gets the count written.
    virtual tresult write(const void* buffer, int32 numBytes, int32* numBytesWritten) = 0;
    // Moves the position; *result (may be null) gets the new position.
    virtual tresult seek(int64 pos, int32 mode, int64* result) = 0;
    // *pos gets the current position.
    virtual tresult tell(int64* pos) = 0;

    static constexpr FUID iid =
        FUID::make(0xC3BF6EA2, 0x3099, 0x4752, 0x9B, 0x6B, 0xF9, 0x90, 0x1E, 0xE3, 0x3E, 0x9B);
};

}  // namespace Host
