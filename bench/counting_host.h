// A thin host for timing the module on its own: it answers the interfaces a MIDI import
// touches, counts every call and keeps nothing of the project. One object stands for every
// track, one for every MIDI part, one for every note and one for every controller-like
// event; setters change nothing, getters answer that nothing is there (no attribute, no
// mixer, no channel). The project file is read for real, from its file.
//
// What the module then spends is its own work: reading the file, and making the calls.
// Everything runs on the calling thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "interfaces/all.h"

namespace RefHost {
class LoadedModule;
}

namespace TessaroBench {

class CountingHost {
public:
    struct Counts {
        std::uint64_t calls = 0;  // every call of every interface, release and addRef included
        std::uint64_t tracks = 0;
        std::uint64_t parts = 0;
        std::uint64_t notes = 0;
        std::uint64_t controls = 0;  // controller-like events
        std::uint64_t inserted = 0;  // IEditContext::insertObject
        // References handed out (addRef included) less references released: 0 when the
        // module released everything it took.
        std::int64_t held = 0;
    };

    // file is the project file that the import path names.
    explicit CountingHost(std::filesystem::path file);
    ~CountingHost();
    CountingHost(const CountingHost&) = delete;
    CountingHost& operator=(const CountingHost&) = delete;

    // What the host lends the filter: its context, the path of the file and the project.
    Host::FUnknown* context();
    Host::IPath* path();
    Host::FUnknown* importTarget();

    const Counts& counts() const { return counts_; }

    struct Objects;  // the host's objects, one of each kind (counting_host.cpp)

private:
    std::filesystem::path file_;
    Counts counts_;
    std::unique_ptr<Objects> objects_;
};

// One import as the host runs it (filter created, initialized, importProject, terminated,
// released); the result of importProject, or an empty text and -1 with error set.
struct CountingRun {
    Host::int32 result = -1;
    std::string error;
};
CountingRun runCountingImport(RefHost::LoadedModule& module, CountingHost& host);

}  // namespace TessaroBench
