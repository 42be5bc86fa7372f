#include "module/plugin_factory.h"

#include <cstring>
#include <mutex>
#include <new>

#include "module/class_ids.h"
#include "module/filter_plugin.h"

namespace Tessaro {

namespace {

// The factory the module hands out (not an owning pointer), null when there is none, and
// the lock under which it is handed out and let go of.
CPluginFactory* gPluginFactory = nullptr;
std::mutex gFactoryMutex;

template <std::size_t N>
void setText(char (&field)[N], const char* text) {
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

// Widens an 8-bit text byte by byte, stopping at its end or after 63 units.
template <std::size_t N>
void widen(char16_t (&field)[N], const char* text, std::size_t textSize) {
    std::memset(field, 0, sizeof field);
    for (std::size_t i = 0; i < N - 1 && i < textSize && text[i] != 0; ++i)
        field[i] = static_cast<unsigned char>(text[i]);
}

Host::PClassInfoW widenRecord(const Host::PClassInfo2& info) {
    Host::PClassInfoW w;
    std::memset(&w, 0, sizeof w);
    std::memcpy(w.cid, info.cid, sizeof w.cid);
    w.cardinality = info.cardinality;
    std::memcpy(w.category, info.category, sizeof w.category);
    widen(w.name, info.name, sizeof info.name);
    w.classFlags = info.classFlags;
    std::memcpy(w.subCategories, info.subCategories, sizeof w.subCategories);
    widen(w.vendor, info.vendor, sizeof info.vendor);
    widen(w.version, info.version, sizeof info.version);
    widen(w.sdkVersion, info.sdkVersion, sizeof info.sdkVersion);
    return w;
}

}  // namespace

CPluginFactory::CPluginFactory(const Host::PFactoryInfo& info) : factoryInfo_(info) {}

Host::uint32 CPluginFactory::release() {
    RefCount::Dropped dropped;
    {
        std::lock_guard<std::mutex> lock(gFactoryMutex);
        dropped = dropReference();
        if (dropped.last && gPluginFactory == this) gPluginFactory = nullptr;
    }
    if (dropped.last) delete this;
    return dropped.count;
}

bool CPluginFactory::registerClass(const Host::PClassInfo2* info, CreateFunction create,
                                   void* context) {
    if (!info || !create) return false;
    try {
        if (classes_.size() == classes_.capacity()) classes_.reserve(classes_.size() + kGrowBy);
        classes_.push_back(ClassEntry{*info, widenRecord(*info), create, context});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

Host::tresult CPluginFactory::queryInterface(const Host::FUID& interfaceId, void** obj) {
    if (!obj) return Host::kInvalidArgument;
    if (interfaceId == Host::FUnknown::iid || interfaceId == Host::IPluginFactory::iid ||
        interfaceId == Host::IPluginFactory2::iid || interfaceId == Host::IPluginFactory3::iid) {
        addRef();
        *obj = static_cast<Host::IPluginFactory3*>(this);
        return Host::kResultOk;
    }
    *obj = nullptr;
    return Host::kNoInterface;
}

Host::tresult CPluginFactory::getFactoryInfo(Host::PFactoryInfo* info) {
    if (info) *info = factoryInfo_;
    return Host::kResultOk;
}

Host::int32 CPluginFactory::countClasses() { return static_cast<Host::int32>(classes_.size()); }

Host::tresult CPluginFactory::getClassInfo(Host::int32 index, Host::PClassInfo* info) {
    if (!info || !validIndex(index)) return Host::kInvalidArgument;
    std::memcpy(info, &classes_[static_cast<std::size_t>(index)].info, sizeof *info);
    return Host::kResultOk;
}

Host::tresult CPluginFactory::getClassInfo2(Host::int32 index, Host::PClassInfo2* info) {
    if (!info || !validIndex(index)) return Host::kInvalidArgument;
    *info = classes_[static_cast<std::size_t>(index)].info;
    return Host::kResultOk;
}

Host::tresult CPluginFactory::getClassInfoUnicode(Host::int32 index, Host::PClassInfoW* info) {
    if (!info || !validIndex(index)) return Host::kInvalidArgument;
    *info = classes_[static_cast<std::size_t>(index)].infoW;
    return Host::kResultOk;
}

Host::tresult CPluginFactory::createInstance(const Host::FUID& cid, const Host::FUID& interfaceId,
                                             void** obj) {
    if (!obj) return Host::kInvalidArgument;
    *obj = nullptr;
    for (const ClassEntry& entry : classes_) {
        if (std::memcmp(entry.info.cid, cid.bytes, sizeof entry.info.cid) != 0) continue;
        Host::FUnknown* instance = entry.create(entry.context);
        if (!instance) return Host::kNoInterface;
        void* answer = nullptr;
        const Host::tresult result = instance->queryInterface(interfaceId, &answer);
        // The creation reference goes; the query's reference stays with the caller.
        instance->release();
        if (result != Host::kResultOk || !answer) return Host::kNoInterface;
        *obj = answer;
        return Host::kResultOk;
    }
    return Host::kNoInterface;
}

Host::tresult CPluginFactory::setHostContext(Host::FUnknown*) { return Host::kResultOk; }

namespace {

struct Records {
    Host::PFactoryInfo factory;
    Host::PClassInfo2 filter;
};

const Records& records() {
    static const Records r = [] {
        Records rec;
        std::memset(&rec, 0, sizeof rec);
        setText(rec.factory.vendor, kVendor);
        setText(rec.factory.url, kVendorUrl);
        setText(rec.factory.email, kVendorEmail);
        rec.factory.flags = Host::PFactoryInfo::kUnicode;
        std::memcpy(rec.filter.cid, kTessaroFilterClassId.bytes, 16);
        rec.filter.cardinality = Host::PClassInfo::kManyInstances;
        setText(rec.filter.category, kFilterCategory);
        setText(rec.filter.name, kFilterName);
        rec.filter.classFlags = 0;
        setText(rec.filter.version, kFilterVersion);
        setText(rec.filter.sdkVersion, kInterfaceVersion);
        return rec;
    }();
    return r;
}

}  // namespace

Host::IPluginFactory* getOrMakePluginFactory() {
    std::lock_guard<std::mutex> lock(gFactoryMutex);
    if (gPluginFactory) {
        gPluginFactory->addRef();
        return gPluginFactory;
    }
    auto* factory = new (std::nothrow) CPluginFactory(records().factory);
    if (!factory) return nullptr;
    // A factory without its class (no memory for the entry) is no factory: the host is
    // told there is none rather than offered nothing to create. It was never handed out,
    // and its release would take the lock held here: it is deleted as it stands.
    if (!factory->registerClass(&records().filter, &TessaroFilterPlugin::create, nullptr)) {
        delete factory;
        return nullptr;
    }
    gPluginFactory = factory;
    return factory;
}

CPluginFactory* pluginFactoryInUse() {
    std::lock_guard<std::mutex> lock(gFactoryMutex);
    return gPluginFactory;
}

}  // namespace Tessaro
