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
        if (!open("read") || !sizeAndBuffer("read", buffer, numBytes)) return Host::kInvalidArgument;
        return self().read(buffer, numBytes, numBytesRead);
    }

    Host::tresult write(const void* buffer, Host::int32 numBytes,
                        Host::int32* numBytesWritten) override {
        if (numBytesWritten) *numBytesWritten = 0;
        if (!open("write") || !sizeAndBuffer("write", buffer, numBytes))
            return Host::kInvalidArgument;
        return self().write(buffer, numBytes, numBytesWritten);
    }

    Host::tresult seek(Host::int64 pos, Host::int32 mode, Host::int64* result) override {
        if (!open("seek")) return Host::kInvalidArgument;
        return self().seek(pos, mode, result);
    }

    Host::tresult tell(Host::int64* pos) override {
        if (!open("tell") || !outPointer("tell", pos)) return Host::kInvalidArgument;
        *pos = self().position();
        return Host::kResultOk;
    }

private:
    bool open(const char* operation) {
        if (!usable(operation)) return false;
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
        if (!usable("setPath") || !this->text("setPath", path, "path", text))
            return Host::kInvalidArgument;
        self().path = std::move(text);
        self().set = true;
        return Host::kResultOk;
    }

    Host::tresult getPath(Host::char16* buffer, Host::int32 size) override {
        if (!usable("getPath")) return Host::kInvalidArgument;
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
