// Audio files: reading, sample-rate conversion, writing, and clips for audio events.
#pragma once

#include "host.h"

namespace Host {

struct AudioFormat {
    double sampleRate;
    int32 sampleSize;  // bits per sample
    int32 channelCount;
    int64 frameCount;
};

// A source of audio frames at a chosen rate, asked from a reader.
class IAudioSource : public FUnknown {
public:
    virtual tresult setSampleRate(double rate) = 0;
    virtual tresult setSampleSize(int32 bits) = 0;
    virtual tresult setFrameCount(int64 frames) = 0;
    virtual int32 getChannelCount() = 0;
    // Reads up to frames frames, interleaved, into buffer (frames × channels floats).
    // Returns the frames read: 0 at the end, negative on error.
    virtual int32 read(float* buffer, int32 frames) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0501, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// Reads an audio file; created with kAudioFileReaderClass.
class IAudioFileReader : public FUnknown {
public:
    // Points the reader at the file (borrowed path); kResultOk when it can be read.
    virtual tresult setFilePath(IPath* path) = 0;
    virtual tresult getFormat(AudioFormat* format) = 0;
    // *source gets a source that delivers the file converted to rate (a new reference).
    virtual tresult createConvertingSource(double rate, IAudioSource** source) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0502, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IAudioFileWriter : public FUnknown {
public:
    // Sets the target path (borrowed) and format. mode 1: a new file, replacing any.
    virtual tresult configure(IPath* path, int32 mode, int32 sampleSize, double rate,
                              int64 frameCount, int32 channelCount) = 0;
    virtual tresult open() = 0;
    // Writes frames interleaved frames; last closes the file after them.
    virtual tresult write(const float* buffer, int32 frames, tbool last) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0503, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// The audio file types the host writes, asked from the host context.
class IAudioFileTypes : public FUnknown {
public:
    virtual int32 getCount() = 0;
    // Copies type `index`'s name ("Wave File", ...), zero-terminated, into buffer.
    virtual tresult getName(int32 index, char8* buffer, int32 size) = 0;
    // *writer gets a new writer for type `index` (a new reference).
    virtual tresult createWriter(int32 index, IAudioFileWriter** writer) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0504, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// The media an audio event plays; created with kAudioClipClass.
class IAudioClip : public FUnknown {
public:
    // Takes the file of reader (borrowed; the clip keeps its own reference).
    virtual tresult setReader(IAudioFileReader* reader) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0505, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

}  // namespace Host
