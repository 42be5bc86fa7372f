#include "refhost/reference_host.h"

#include "base/text.h"
#include "refhost/file_io.h"
#include "refhost/streams.h"

namespace RefHost {

// --- ObjectStore -----------------------------------------------------------------------

ObjectStore::~ObjectStore() {
    for (Object* object : objects_) object->~Object();
}

void* ObjectStore::allocate(std::size_t size, std::size_t align) {
    std::size_t at = (used_ + align - 1) / align * align;
    if (blocks_.empty() || at + size > kBlockSize) {
        std::unique_ptr<std::byte[]> block(new std::byte[kBlockSize]);
        blocks_.push_back(std::move(block));
        at = 0;
    }
    used_ = at + size;
    return blocks_.back().get() + at;
}

// --- ReferenceHost ---------------------------------------------------------------------

ReferenceHost::ReferenceHost(Profile profile) : profile_(std::move(profile)) {
    document_ = std::make_unique<Document>(*this);
    context_ = &make<ContextObject>();
}

ReferenceHost::~ReferenceHost() = default;

void ReferenceHost::setProjectFolder(std::filesystem::path folder) {
    projectFolder_ = std::move(folder);
}

Host::FUnknown* ReferenceHost::lendContext() {
    return account_.lend(*context_, Host::IHostContext::iid);
}

Host::FUnknown* ReferenceHost::lendImportTarget() {
    return account_.lend(document_->project, Host::FUnknown::iid);
}

Host::IPath* ReferenceHost::lendPath(const std::filesystem::path& path) {
    auto& object = make<PathObject>();
    object.path = Tessaro::toUtf16(FileIo::utf8(path));
    object.set = true;
    return static_cast<Host::IPath*>(account_.lend(object, Host::IPath::iid));
}

}  // namespace RefHost
