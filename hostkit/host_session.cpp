#include "hostkit/host_session.h"

#include <iterator>

#include "base/text.h"

namespace Tessaro {

HostSession::HostSession(Host::IPath* importPath, Host::FUnknown* importTarget,
                         Host::IHostContext* hostContext)
    : path(importPath), target(importTarget),
      context(IPtr<Host::IHostContext>::share(hostContext)) {}

bool HostSession::learnHost() {
    if (!context) return false;
    messages = queryTo<Host::IMessageDisplay>(context);
    files = queryTo<Host::IFileAccess>(context);

    auto app = queryTo<Host::IApplicationInfo>(context);
    if (!app) {
        files.reset();
        messages.reset();
        return false;
    }
    versionText = readHostText([&](char16_t* b, Host::int32 n) { return app->getVersion(b, n); });
    name = readHostText([&](char16_t* b, Host::int32 n) { return app->getName(b, n); });
    app.reset();
    version = parseHostVersion(versionText);

    // The mixer reports 4.0 on hosts with the newer fader scale.
    faderScale = FaderScale::Older;
    mixerAccess = queryTo<Host::IMixerAccess>(context);
    if (mixerAccess) {
        // findObject hands out a borrowed pointer; take a reference of our own.
        auto mixer = IPtr<Host::FUnknown>::share(mixerAccess->findObject("QPL Mixer", 0));
        if (auto value = queryTo<Host::IValue>(mixer)) {
            double v = 0;
            if (value->getValue(&v) == Host::kResultOk && v == 4.0) faderScale = FaderScale::Newer;
        }
    }
    return true;
}

void HostSession::takeProject() {
    project = queryTo<Host::IProject>(target);
    edit = queryTo<Host::IEditContext>(context);
    if (project) {
        IPtr<Host::IObjectTree> root;
        if (project->getRoot(0, root.put()) == Host::kResultOk && root) projectRoot = root;
    }
}

void HostSession::endRun() {
    edit.reset();  // held by a bench that took the project directly
    projectRoot.reset();
    project.reset();
    mixerAccess.reset();
    files.reset();
    messages.reset();
}

void showHostMessage(Host::IMessageDisplay* display, const char* text) {
    if (!display) return;
    // The module's messages are short ASCII texts: each byte is one UTF-16 unit.
    char16_t units[128];
    std::size_t n = 0;
    for (; text[n] != 0 && n + 1 < std::size(units); ++n)
        units[n] = static_cast<unsigned char>(text[n]);
    units[n] = 0;
    display->showMessage(units, 0, 0, 0);
}

void HostSession::showMessage(const char* text) {
    if (!messages) return;
    showHostMessage(messages.get(), text);
    messageShown = true;
}

ReadScope::ReadScope(HostSession& host) : host_(host) {
    host_.takeProject();
    if (host_.edit) host_.edit->beginEdit(0);
}

ReadScope::~ReadScope() { host_.edit.reset(); }

}  // namespace Tessaro
