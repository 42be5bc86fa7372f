// Loads a plug-in module the way the host does (the module file, its entry points, its
// factory) and runs project imports through its project filter.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "interfaces/all.h"

namespace RefHost {

class FaultPlan;
class ReferenceHost;

class ModuleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A loaded module: opened, "InitDll" called, its factory taken from "GetPluginFactory".
// Destroying it releases the factory, calls "ExitDll" and closes the module.
class LoadedModule {
public:
    // Throws ModuleError naming what failed. plan, when given, is told of each call into
    // the module (refhost/fault_plan.h) and must outlive the loaded module.
    explicit LoadedModule(const std::filesystem::path& file, FaultPlan* plan = nullptr);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    const std::filesystem::path& file() const { return file_; }
    // Borrowed: the module holds it while it is loaded.
    Host::IPluginFactory* factory() const { return factory_; }

private:
    std::filesystem::path file_;
    void* handle_ = nullptr;
    Host::IPluginFactory* factory_ = nullptr;
    Host::ExitModuleProc exit_ = nullptr;
    FaultPlan* plan_ = nullptr;
};

struct FilterClass {
    Host::FUID cid{};
    std::string name;
};

// The first class of category "Project Filter" that the factory lists.
std::optional<FilterClass> findProjectFilter(Host::IPluginFactory& factory);

struct ImportOutcome {
    // Why the import could not run: no filter class, no instance, a refused context, a
    // file type other than "tsp". Empty when importProject was called.
    std::string error;
    std::optional<Host::int32> result;  // what importProject returned
    FilterClass filter;
    Host::ProjectFileType fileType{};
    // What the host's last release of the filter returned: 0 when every reference the host
    // took of it (the diagnostics' among them) was given back and the filter went.
    std::optional<Host::uint32> filterCountAtRelease;
};

// One import as the host runs it: creates the filter (IProjectFilterPlugin), initializes
// it with the host's context, asks its file type, imports file into the host's project
// (the project folder becomes the file's folder unless the host has one set), asks the
// filter why the import failed and what it could not carry (IImportDiagnostics, recorded
// in the host's records), terminates and releases the filter.
ImportOutcome runImport(LoadedModule& module, ReferenceHost& host,
                        const std::filesystem::path& file);

}  // namespace RefHost
