// TessaroFilterPlugin: the object the host talks to when it imports a Tessaro project.
#pragma once

#include "base/iptr.h"
#include "base/ref_counted.h"
#include "interfaces/all.h"

namespace Tessaro {

class TessaroFilterPlugin : public RefCounted<Host::IProjectFilterPlugin> {
public:
    TessaroFilterPlugin() = default;
    ~TessaroFilterPlugin() override;

    Host::tresult queryInterface(const Host::FUID& interfaceId, void** obj) override;

    Host::tresult initialize(Host::FUnknown* context) override;
    Host::tresult terminate() override;

    Host::tresult getFileType(Host::ProjectFileType* type) override;
    Host::tresult exportProject(Host::IPath* path, Host::FUnknown* source) override;
    Host::tresult importProject(Host::IPath* path, Host::FUnknown* target) override;

    // The factory's creation function: a new filter with a count of 1.
    static Host::FUnknown* create(void* context);

private:
    IPtr<Host::IHostContext> hostContext_;
};

// The export counterpart: export is not supported; running it writes nothing.
class TessaroExporter {
public:
    TessaroExporter(Host::IPath* path, Host::FUnknown* source, Host::IHostContext* context)
        : path_(path), source_(source), context_(context) {}
    virtual ~TessaroExporter() = default;
    Host::int32 run() { return 0; }

private:
    Host::IPath* path_;
    Host::FUnknown* source_;
    Host::IHostContext* context_;
};

}  // namespace Tessaro
