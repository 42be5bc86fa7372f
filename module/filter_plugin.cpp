#include "module/filter_plugin.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "base/text.h"
#include "module/import_run.h"

namespace Tessaro {

namespace {

// A text of the diagnostics into the host's buffer: UTF-16, cut to the buffer and to the
// size every text of the diagnostics fits, never between the two units of one character.
// When there is no memory to convert it, the host gets an empty text.
void copyDiagnosticText(const std::string& text, Host::char16* buffer, Host::int32 size) {
    std::u16string units;
    try {
        units = toUtf16(text);
    } catch (const std::bad_alloc&) {
        units.clear();
    }
    const Host::int32 usable = std::min(size, Host::kDiagnosticTextSize);
    const std::size_t room = usable > 0 ? static_cast<std::size_t>(usable) - 1 : 0;
    if (units.size() > room) {
        units.resize(room);
        if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
    }
    copyToBuffer(units, buffer, usable);
}

}  // namespace

TessaroFilterPlugin::~TessaroFilterPlugin() = default;

Host::FUnknown* TessaroFilterPlugin::create(void*) {
    // Null when there is no memory: the factory answers that it made nothing.
    auto* filter = new (std::nothrow) TessaroFilterPlugin;
    return filter ? static_cast<Host::IProjectFilterPlugin*>(filter) : nullptr;
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
    if (interfaceId == Host::IImportDiagnostics::iid) {
        addRef();
        *obj = static_cast<Host::IImportDiagnostics*>(&diagnostics_);
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
    lastImport_ = {};
    std::optional<TessaroImporter> importer;
    try {
        importer.emplace(path, target, hostContext_.get());
        const Host::tresult result = importer->run();
        try {
            lastImport_ = importer->diagnostics();
        } catch (const std::bad_alloc&) {
            // The run's result stands; its notes are lost, its failure is moved.
            lastImport_ = {std::move(importer->failure), {}};
        }
        return result;
    } catch (...) {
        // The run lets nothing out, not even when memory runs out. Should anything escape
        // all the same, no exception may cross into the host: the import fails as one, with
        // the one failure message unless the run showed one.
        if (!importer || !importer->host.messageShown)
            showHostMessage(queryTo<Host::IMessageDisplay>(hostContext_).get(), kReadFailedMessage);
        lastImport_ = {};
        return 1;
    }
}

Host::tresult TessaroFilterPlugin::DiagnosticsPart::queryInterface(const Host::FUID& interfaceId,
                                                                   void** obj) {
    return filter_.queryInterface(interfaceId, obj);
}

Host::tresult TessaroFilterPlugin::DiagnosticsPart::getFailure(Host::ImportFailureInfo* failure,
                                                               Host::char16* text,
                                                               Host::int32 size) {
    if (!failure) return Host::kInvalidArgument;
    const auto& last = filter_.lastImport_.failure;
    if (!last) return Host::kResultFalse;
    std::memset(failure->chunkId, 0, sizeof failure->chunkId);
    std::memcpy(failure->chunkId, last->chunkId.data(),
                std::min(last->chunkId.size(), sizeof failure->chunkId));
    failure->chunkIndex = last->chunkIndex;
    failure->byteOffset = last->byteOffset;
    copyDiagnosticText(last->text, text, size);
    return Host::kResultTrue;
}

Host::int32 TessaroFilterPlugin::DiagnosticsPart::getNoteCount() {
    return static_cast<Host::int32>(filter_.lastImport_.notes.size());
}

Host::tresult TessaroFilterPlugin::DiagnosticsPart::getNote(Host::int32 index,
                                                            Host::ImportNoteInfo* note,
                                                            Host::char16* text, Host::int32 size) {
    const auto& notes = filter_.lastImport_.notes;
    if (!note || index < 0 || static_cast<std::size_t>(index) >= notes.size())
        return Host::kInvalidArgument;
    const ImportNote& kept = notes[static_cast<std::size_t>(index)];
    note->kind = kept.kind;
    note->track = kept.track;
    copyDiagnosticText(kept.text, text, size);
    return Host::kResultOk;
}

}  // namespace Tessaro
