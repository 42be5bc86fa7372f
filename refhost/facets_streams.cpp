// Byte streams (IBStream) and paths (IPath).
#include "base/text.h"
#include "refhost/facets.h"
#include "refhost/reference_host.h"
#include "refhost/streams.h"

namespace RefHost {

namespace {

template <class T>
bool isA(Object& object) {
    return dynamic_cast<T*>(&object) != nullptr;
}

class StreamFacet : public Facet<Host::IBStream, ByteStream> {
public:
    using Facet::Facet;

    Host::tresult read(void* buffer, Host::int32 numBytes, Host::int32* numBytesRead) override {
        if (numBytesRead) *numBytesRead = 0;
        const HostCall call(*this, "read");
        if (!call) return call.refusal();
        if (!open("read") || !sizeAndBuffer("read", buffer, numBytes)) return Host::kInvalidArgument;
        return self().read(buffer, numBytes, numBytesRead);
    }

    Host::tresult write(const void* buffer, Host::int32 numBytes,
                        Host::int32* numBytesWritten) override {
        if (numBytesWritten) *numBytesWritten = 0;
        const HostCall call(*this, "write");
        if (!call) return call.refusal();
        if (!open("write") || !sizeAndBuffer("write", buffer, numBytes))
            return Host::kInvalidArgument;
        return self().write(buffer, numBytes, numBytesWritten);
    }

    Host::tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override {
        const HostCall call(*this, "seek");
        if (!call) return call.refusal();
        if (!open("seek")) return Host::kInvalidArgument;
        return self().seek(pos, mode, result);
    }

    Host::tresult tell(Host::int64* pos) override {
        const HostCall call(*this, "tell");
        if (!call) return call.refusal();
        if (!open("tell") || !outPointer("tell", pos)) return Host::kInvalidArgument;
        *pos = self().position();
        return Host::kResultOk;
    }

private:
    bool open(const char* operation) {
        if (self().isOpen()) return true;
        misuse(operation, "the stream is closed");
        return false;
    }
    bool sizeAndBuffer(const char* operation, const void* buffer, Host::int32 numBytes) {
        if (numBytes < 0) {
            misuse(operation, "negative byte count");
            return false;
        }
        if (!buffer && numBytes > 0) {
            misuse(operation, "null buffer");
            return false;
        }
        return true;
    }
};

class PathFacet : public Facet<Host::IPath, PathObject> {
public:
    using Facet::Facet;

    Host::tresult setPath(const Host::char16* path) override {
        std::u16string text;
        const HostCall call(*this, "setPath");
        if (!call) return call.refusal();
        if (!this->text("setPath", path, "path", text)) return Host::kInvalidArgument;
        self().path = std::move(text);
        self().set = true;
        return Host::kResultOk;
    }

    Host::tresult getPath(Host::char16* buffer, Host::int32 size) override {
        const HostCall call(*this, "getPath");
        if (!call) return call.refusal();
        return copyOut("getPath", self().path, buffer, size);
    }
};

const FacetType kTypes[] = {
    facetType<StreamFacet, Host::IBStream>("IBStream", isA<ByteStream>),
    facetType<PathFacet, Host::IPath>("IPath", isA<PathObject>),
};

}  // namespace

std::span<const FacetType> streamFacetTypes() { return kTypes; }

}  // namespace RefHost
