// TessaroFilterPlugin: the object the host talks to when it imports a Tessaro project. It
// keeps what its last import told of itself (why it failed, what it could not carry) for a
// host that asks through IImportDiagnostics.
#pragma once

#include "base/iptr.h"
#include "base/ref_counted.h"
#include "hostkit/diagnostics.h"
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
    // The filter's IImportDiagnostics: a part of the filter that shares its reference
    // count, so that the filter keeps its one interface table for the host's filter calls.
    class DiagnosticsPart : public Host::IImportDiagnostics {
    public:
        explicit DiagnosticsPart(TessaroFilterPlugin& filter) : filter_(filter) {}
        Host::tresult queryInterface(const Host::FUID& interfaceId, void** obj) override;
        Host::uint32 addRef() override { return filter_.addRef(); }
        Host::uint32 release() override { return filter_.release(); }

        Host::tresult getFailure(Host::ImportFailureInfo* failure, Host::char16* text,
                                 Host::int32 size) override;
        Host::int32 getNoteCount() override;
        Host::tresult getNote(Host::int32 index, Host::ImportNoteInfo* note, Host::char16* text,
                              Host::int32 size) override;

    private:
        TessaroFilterPlugin& filter_;
    };

    IPtr<Host::IHostContext> hostContext_;
    ImportDiagnostics lastImport_;
    DiagnosticsPart diagnostics_{*this};
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
