#include "module/filter_plugin.h"

#include <cstring>

#include "module/import_run.h"

namespace Tessaro {

TessaroFilterPlugin::~TessaroFilterPlugin() = default;

Host::FUnknown* TessaroFilterPlugin::create(void*) {
    return static_cast<Host::IProjectFilterPlugin*>(new TessaroFilterPlugin);
}

Host::tresult TessaroFilterPlugin::queryInterface(const Host::FUID& interfaceId, void** obj) {
    if (!obj) return Host::kInvalidArgument;
    if (interfaceId == Host::FUnknown::iid || interfaceId == Host::IPluginBase::iid ||
        interfaceId == Host::IProjectFilterPlugin::iid || interfaceId == Host::kIProjectImportFilterIID ||
        interfaceId == Host::kIProjectExportFilterIID) {
        addRef();
        *obj = static_cast<Host::IProjectFilterPlugin*>(this);
        return Host::kResultOk;
    }
    *obj = nullptr;
    return Host::kNoInterface;
}

Host::tresult TessaroFilterPlugin::initialize(Host::FUnknown* context) {
    hostContext_ = queryTo<Host::IHostContext>(context);
    return hostContext_ ? Host::kResultOk : Host::kResultFalse;
}

Host::tresult TessaroFilterPlugin::terminate() {
    hostContext_.reset();
    return Host::kResultOk;
}

Host::tresult TessaroFilterPlugin::getFileType(Host::ProjectFileType* type) {
    if (!type) return Host::kInvalidArgument;
    type->count = 1;
    std::memcpy(type->typeCode, "tsp ", 4);
    std::memset(type->extension, 0, sizeof type->extension);
    std::memcpy(type->extension, "tsp", 4);
    std::memcpy(type->displayName, "Tessaro File", 13);
    return Host::kResultOk;
}

Host::tresult TessaroFilterPlugin::exportProject(Host::IPath* path, Host::FUnknown* source) {
    TessaroExporter exporter(path, source, hostContext_.get());
    return exporter.run();
}

Host::tresult TessaroFilterPlugin::importProject(Host::IPath* path, Host::FUnknown* target) {
    // No exception may cross into the host: anything unexpected is a failed import.
    try {
        TessaroImporter importer(path, target, hostContext_.get());
        return importer.run();
    } catch (...) {
        return 1;
    }
}

}  // namespace Tessaro
