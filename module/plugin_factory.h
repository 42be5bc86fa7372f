// CPluginFactory: offers the module's classes to the host's plug-in loader.
#pragma once

#include <vector>

#include "base/ref_counted.h"
#include "interfaces/all.h"

namespace Tessaro {

class CPluginFactory : public RefCounted<Host::IPluginFactory3> {
public:
    using CreateFunction = Host::FUnknown* (*)(void* context);

    explicit CPluginFactory(const Host::PFactoryInfo& info);
    ~CPluginFactory() override;

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
        bool registeredAsUnicode;
    };
    static constexpr std::size_t kGrowBy = 10;

    bool validIndex(Host::int32 index) const {
        return index >= 0 && static_cast<std::size_t>(index) < classes_.size();
    }

    Host::PFactoryInfo factoryInfo_;
    std::vector<ClassEntry> classes_;
};

// The factory the module hands out (not an owning pointer), null when there is none.
extern CPluginFactory* gPluginFactory;

// What GetPluginFactory does: the existing factory with a reference added, or a new one.
Host::IPluginFactory* getOrMakePluginFactory();

}  // namespace Tessaro
