// End-to-end imports for tests: the built importer module, loaded as a host loads it, runs
// an import of a byte buffer or a file through the reference host with a chosen host
// profile. The result carries what importProject returned, the messages the host showed,
// the JSON report, the account's findings, and the host itself for closer looks.
//
//     TessaroTest::ImportHarness harness;
//     auto run = harness.importBytes(bytes, TessaroTest::onHost("Ombrel Fold 7.0.0"));
//     EXPECT_EQ(run.result, 0);
//     EXPECT_TRUE(run.clean()) << run.findingsText();
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "refhost/account.h"
#include "refhost/module_loader.h"
#include "refhost/profile.h"
#include "refhost/reference_host.h"
#include "refhost/report.h"

namespace TessaroTest {

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file under the folder (making its folders); returns its path.
    std::filesystem::path write(const std::string& relative, std::span<const std::uint8_t> bytes);

private:
    std::filesystem::path path_;
};

struct ImportOptions {
    // The host profile: a profile id, "Name major.minor.patch", a name or a file; empty:
    // the default host (the newest "Ombrel").
    std::string host;
    // Changes the profile before the host is made (drop a service, change a layout ...).
    std::function<void(RefHost::Profile&)> adjustProfile;
    // Changes the host once it is made, before the import (AudioResources::freeSpace ...).
    std::function<void(RefHost::ReferenceHost&)> adjustHost;
    // The project file's name in the project folder (importBytes).
    std::string fileName = "project.tsp";
    // Further files for the project folder, by path relative to it ("Audio/drums.wav").
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;

    // The same, one by one: ImportOptions().onHost("Larkwin 6.0.1").withFile(...).
    ImportOptions& onHost(std::string selector) {
        host = std::move(selector);
        return *this;
    }
    ImportOptions& adjust(std::function<void(RefHost::Profile&)> change) {
        adjustProfile = std::move(change);
        return *this;
    }
    ImportOptions& named(std::string name) {
        fileName = std::move(name);
        return *this;
    }
    ImportOptions& withFile(std::string relative, std::vector<std::uint8_t> bytes) {
        files.emplace_back(std::move(relative), std::move(bytes));
        return *this;
    }
};

// Options that name only the host profile.
inline ImportOptions onHost(std::string selector) { return ImportOptions().onHost(std::move(selector)); }

struct ImportResult {
    std::optional<Host::int32> result;  // importProject's result; none when it did not run
    std::string error;                  // why the import did not run
    std::vector<std::string> messages;  // shown by the host, in order
    RefHost::Report report;
    RefHost::Findings references;
    std::unique_ptr<RefHost::ReferenceHost> host;  // the host as the import left it
    std::shared_ptr<TempFolder> folder;            // the project folder of importBytes
    // What the host's last release of the filter returned (importFile): 0 when the host's
    // references of the filter, its diagnostics' among them, balanced out.
    std::optional<Host::uint32> filterCountAtRelease;

    // True when the module holds no host object, released none too often and misused none,
    // and the host gave back every reference of the filter it took.
    bool clean() const {
        return references.clean() && filterCountAtRelease.value_or(0) == 0;
    }
    // The account's findings as text, for a failing expectation's message.
    std::string findingsText() const;
};

// Loads a profile from the source tree's profiles (or $TESSARO_PROFILES).
RefHost::Profile loadProfile(std::string_view selector = {});
// A reference host with that profile, changed by adjust when given.
std::unique_ptr<RefHost::ReferenceHost> makeHost(
    std::string_view selector = {}, const std::function<void(RefHost::Profile&)>& adjust = {});

class ImportHarness {
public:
    // Loads the module the build made (TESSARO_MODULE_PATH).
    ImportHarness();
    explicit ImportHarness(const std::filesystem::path& module);
    ~ImportHarness();

    // Writes bytes as a project file into a fresh project folder and imports it.
    ImportResult importBytes(std::span<const std::uint8_t> bytes, const ImportOptions& options = {});
    // Imports an existing file; its folder is the project folder.
    ImportResult importFile(const std::filesystem::path& file, const ImportOptions& options = {});

    RefHost::LoadedModule& module() { return *module_; }

private:
    std::unique_ptr<RefHost::LoadedModule> module_;
};

// Runs the importer in-process (TessaroImporter of the module's static library rather than
// the loaded module) against a reference host, exactly as importProject would: for tests
// that want to step into the importer or run it under a debugger. The filter's share of
// the host context is taken and released here, and the host records the importer's
// diagnostics as a host that asks the filter would.
ImportResult importDirect(std::span<const std::uint8_t> bytes, const ImportOptions& options = {});

}  // namespace TessaroTest
