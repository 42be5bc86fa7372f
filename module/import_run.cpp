// The import run: gathers the host interfaces of the import, learns the host's name and
// version, opens the project file through the host, reads and builds, and tells the user
// the outcome.
#include <cctype>

#include "base/text.h"
#include "module/version.h"
#include "reader/importer.h"

namespace Tessaro {

TessaroImporter::TessaroImporter(Host::IPath* importPath, Host::FUnknown* importTarget,
                                 Host::IHostContext* hostContext)
    : path(importPath), target(importTarget), context(IPtr<Host::IHostContext>::share(hostContext)) {}

TessaroImporter::~TessaroImporter() = default;

void TessaroImporter::clearLists() {
    effectsOnChannels.clear();
    effectsOnBuses.clear();
    presets.clear();
    automation.clear();
}

void TessaroImporter::showMessage(const char* text) {
    if (messages) messages->showMessage(toUtf16(text).c_str(), 0, 0, 0);
}

std::int32_t TessaroImporter::run() {
    if (!context) return 1;
    messages = queryTo<Host::IMessageDisplay>(context);
    files = queryTo<Host::IFileAccess>(context);

    auto app = queryTo<Host::IApplicationInfo>(context);
    if (!app) {
        files.reset();
        messages.reset();
        return 1;
    }
    hostVersionText = readHostText([&](char16_t* b, Host::int32 n) { return app->getVersion(b, n); });
    hostName = readHostText([&](char16_t* b, Host::int32 n) { return app->getName(b, n); });
    app.reset();
    const HostVersion version = parseHostVersion(hostVersionText);
    hostMajor = version.major;
    hostMinor = version.minor;
    hostPatch = version.patch;

    // The mixer reports 4.0 on hosts with the newer fader scale.
    mixerValueFlag = false;
    mixerAccess = queryTo<Host::IMixerAccess>(context);
    if (mixerAccess) {
        auto mixer = IPtr<Host::FUnknown>::share(mixerAccess->findObject("QPL Mixer", 0));
        if (auto value = queryTo<Host::IValue>(mixer)) {
            double v = 0;
            if (value->getValue(&v) == Host::kResultOk && v == 4.0) mixerValueFlag = true;
        }
    }

    std::int32_t result = 1;
    IPtr<Host::IBStream> stream;
    if (!files || !path || files->open(path, Host::IFileAccess::kRead, stream.put()) != Host::kResultOk ||
        !stream) {
        stream.reset();
        showMessage("Cannot open file.");
    } else {
        result = readAndBuild(stream.get());
        clearLists();
        files->close(stream.detach());
        if (result == 0) showMessage("The Tessaro import was completed.");
    }

    projectRoot.reset();
    project.reset();
    mixerAccess.reset();
    files.reset();
    messages.reset();
    return result;
}

}  // namespace Tessaro
