#include "refhost/module_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstring>

#include "base/text.h"
#include "refhost/fault_plan.h"
#include "refhost/reference_host.h"

namespace RefHost {

namespace {

// The system's loader: dlopen on Linux, LoadLibraryW (the path's own UTF-16 text) on
// Windows.
#if defined(_WIN32)
void* openLibrary(const std::filesystem::path& file) {
    return reinterpret_cast<void*>(LoadLibraryW(file.c_str()));
}
void* librarySymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
void closeLibrary(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }
std::string libraryError() { return "error " + std::to_string(GetLastError()); }
#else
void* openLibrary(const std::filesystem::path& file) {
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}
void* librarySymbol(void* handle, const char* name) { return dlsym(handle, name); }
void closeLibrary(void* handle) { dlclose(handle); }
std::string libraryError() {
    const char* why = dlerror();
    return why ? why : "unknown";
}
#endif

template <class Proc>
Proc symbol(void* handle, const char* name) {
    return reinterpret_cast<Proc>(librarySymbol(handle, name));
}

std::string fixedText(const char* text, std::size_t size) { return Tessaro::fromBuffer(text, size); }

}  // namespace

LoadedModule::LoadedModule(const std::filesystem::path& file, FaultPlan* plan)
    : file_(file), plan_(plan) {
    handle_ = openLibrary(file);
    if (!handle_)
        throw ModuleError("cannot load module " + file.string() + ": " + libraryError());
    auto init = symbol<Host::InitModuleProc>(handle_, "InitDll");
    exit_ = symbol<Host::ExitModuleProc>(handle_, "ExitDll");
    auto getFactory = symbol<Host::GetFactoryProc>(handle_, "GetPluginFactory");
    if (!init || !exit_ || !getFactory) {
        closeLibrary(handle_);
        throw ModuleError("module " + file.string() +
                          " lacks GetPluginFactory, InitDll or ExitDll");
    }
    if (!intoModule(plan_, init)) {
        closeLibrary(handle_);
        throw ModuleError("module " + file.string() + ": InitDll failed");
    }
    factory_ = intoModule(plan_, getFactory);
    if (!factory_) {
        intoModule(plan_, exit_);
        closeLibrary(handle_);
        throw ModuleError("module " + file.string() + ": GetPluginFactory gave no factory");
    }
}

LoadedModule::~LoadedModule() {
    intoModule(plan_, [this] { return factory_->release(); });
    intoModule(plan_, exit_);
    closeLibrary(handle_);
}

std::optional<FilterClass> findProjectFilter(Host::IPluginFactory& factory) {
    const Host::int32 count = factory.countClasses();
    for (Host::int32 i = 0; i < count; ++i) {
        Host::PClassInfo info{};
        if (factory.getClassInfo(i, &info) != Host::kResultOk) continue;
        if (fixedText(info.category, sizeof info.category) != "Project Filter") continue;
        FilterClass filter;
        std::memcpy(filter.cid.bytes, info.cid, sizeof info.cid);
        filter.name = fixedText(info.name, sizeof info.name);
        return filter;
    }
    return std::nullopt;
}

ImportOutcome runImport(LoadedModule& module, ReferenceHost& host,
                        const std::filesystem::path& file) {
    ImportOutcome outcome;
    const auto filter = findProjectFilter(*module.factory());
    if (!filter) {
        outcome.error = "the module offers no class of category \"Project Filter\"";
        return outcome;
    }
    outcome.filter = *filter;

    // Every call into the module runs the module's code (intoModule): a fault plan of the
    // host tells it from the host's own.
    FaultPlan* const plan = host.faultPlan();

    Host::IProjectFilterPlugin* plugin = nullptr;
    if (intoModule(plan, [&] {
            return module.factory()->createInstance(filter->cid, Host::IProjectFilterPlugin::iid,
                                                    reinterpret_cast<void**>(&plugin));
        }) != Host::kResultOk ||
        !plugin) {
        outcome.error = "the factory did not create \"" + filter->name + "\"";
        return outcome;
    }

    Host::FUnknown* const context = host.lendContext();
    if (intoModule(plan, [&] { return plugin->initialize(context); }) != Host::kResultOk) {
        outcome.error = "\"" + filter->name + "\" refused the host context";
    } else {
        if (intoModule(plan, [&] { return plugin->getFileType(&outcome.fileType); }) !=
            Host::kResultOk) {
            outcome.error = "\"" + filter->name + "\" gave no file type";
        } else if (fixedText(outcome.fileType.extension, sizeof outcome.fileType.extension) !=
                   "tsp") {
            outcome.error = "\"" + filter->name + "\" handles \"" +
                            fixedText(outcome.fileType.extension,
                                      sizeof outcome.fileType.extension) +
                            "\" files, not \"tsp\"";
        } else {
            const auto absolute = std::filesystem::absolute(file);
            if (host.projectFolder().empty()) host.setProjectFolder(absolute.parent_path());
            Host::IPath* const path = host.lendPath(absolute);
            Host::FUnknown* const target = host.lendImportTarget();
            outcome.result = intoModule(plan, [&] { return plugin->importProject(path, target); });
            host.records().diagnostics = askDiagnostics(plugin, plan);
        }
        intoModule(plan, [&] { return plugin->terminate(); });
    }
    outcome.filterCountAtRelease = intoModule(plan, [&] { return plugin->release(); });
    return outcome;
}

}  // namespace RefHost
