// CPluginFactory: offers the module's classes to the host's plug-in loader.
//
// The module hands out one factory at a time, process-wide. Host threads may ask for it and
// release it at once: getOrMakePluginFactory and the factory's last release take the same
// lock, so the count reaching 0 and the module letting go of the factory happen together,
// and a thread that asks meanwhile gets either the old factory with a reference added
// before its count reached 0, or a new one; never a factory being destroyed.
#pragma once

#include <vector>

#include "base/ref_counted.h"
#include "interfaces/all.h"

namespace Tessaro {

class CPluginFactory : public RefCounted<Host::IPluginFactory3> {
public:
    using CreateFunction = Host::FUnknown* (*)(void* context);

    explicit CPluginFactory(const Host::PFactoryInfo& info);
    ~CPluginFactory() override = default;

    // The last release also ends the module's hold on the factory, under its lock.
    Host::uint32 release() override;

    // Registers a class from its extended record; false for a null record or function.
    bool registerClass(const Host::PClassInfo2* info, CreateFunction create, void* context);

    Host::tresult queryInterface(const Host::FUID& interfaceId, void** obj) override;

    Host::tresult getFactoryInfo(Host::PFactoryInfo* info) override;
    Host::int32 countClasses() override;
    Host::tresult getClassInfo(Host::int32 index, Host::PClassInfo* info) override;
    Host::tresult createInstance(const Host::FUID& cid, const Host::FUID& interfaceId,
                                 void** obj) override;
    Host::tresult getClassInfo2(Host::int32 index, Host::PClassInfo2* info) override;
    Host::tresult getClassInfoUnicode(Host::int32 index, Host::PClassInfoW* info) override;
    Host::tresult setHostContext(Host::FUnknown* context) override;

    Host::int32 refCount() const { return static_cast<Host::int32>(RefCounted::refCount()); }

private:
    struct ClassEntry {
        Host::PClassInfo2 info;
        Host::PClassInfoW infoW;
        CreateFunction create;
        void* context;
    };
    static constexpr std::size_t kGrowBy = 10;

    bool validIndex(Host::int32 index) const {
        return index >= 0 && static_cast<std::size_t>(index) < classes_.size();
    }

    Host::PFactoryInfo factoryInfo_;
    std::vector<ClassEntry> classes_;
};

// What GetPluginFactory does: the existing factory with a reference added, or a new one.
Host::IPluginFactory* getOrMakePluginFactory();

// The factory the module hands out now (no reference is added), null when there is none.
// For tests: another thread may release it at any time.
CPluginFactory* pluginFactoryInUse();

}  // namespace Tessaro
