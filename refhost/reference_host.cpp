#include "refhost/reference_host.h"

#include "base/text.h"
#include "refhost/file_io.h"
#include "refhost/streams.h"

namespace RefHost {

// --- ReferenceHost ---------------------------------------------------------------------

ReferenceHost::ReferenceHost(Profile profile) : profile_(std::move(profile)) {
    try {
        document_ = std::make_unique<Document>(*this);
        context_ = &make<ContextObject>();
    } catch (...) {
        destroyObjects();
        throw;
    }
}

ReferenceHost::~ReferenceHost() { destroyObjects(); }

Object* ReferenceHost::newestObject() {
    if (madeInPool_.empty()) return nullptr;
    return madeInPool_.back() ? &events_.newest() : objects_.back().get();
}

void ReferenceHost::destroyObjects() {
    // Newest first: whatever an object refers to was made before it and is still there.
    while (!madeInPool_.empty()) {
        if (madeInPool_.back()) events_.destroyNewest();
        else objects_.pop_back();
        madeInPool_.pop_back();
    }
}

const std::string& ReferenceHost::sharedName(std::string_view name) {
    const auto known = sharedNames_.find(name);
    return known != sharedNames_.end() ? *known : *sharedNames_.emplace(name).first;
}

const std::vector<ListEntry>& ReferenceHost::sharedList(
    const std::string& key, const std::function<std::vector<ListEntry>()>& make) {
    const auto known = sharedLists_.find(key);
    if (known != sharedLists_.end()) return known->second;
    return sharedLists_.emplace(key, make()).first->second;
}

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
