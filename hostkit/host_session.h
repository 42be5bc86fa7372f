// The host side of one import run: the host's interfaces the whole run needs, and what
// the run learned of the host (its name, its version and its mixer's fader scale). The
// import run takes and lets go of them; the readers and builders see the session read-only
// and write what they leave out to the run's notes (ImportNotes), which they are handed on
// their own. Everything runs on the host's calling thread, one import at a time.
#pragma once

#include <string>

#include "base/iptr.h"
#include "hostkit/fader.h"
#include "hostkit/host_version.h"
#include "interfaces/all.h"

namespace Tessaro {

// Shows an 8-bit English text through a host's message display (borrowed; nothing when
// null). It needs no memory, so a run whose memory ran out still tells the user.
void showHostMessage(Host::IMessageDisplay* display, const char* text);

struct HostSession {
    // path and target are borrowed from importProject for the length of the run; context
    // is the filter's host context (may be null), of which the session takes a reference.
    HostSession(Host::IPath* importPath, Host::FUnknown* importTarget,
                Host::IHostContext* hostContext);

    Host::IPath* path = nullptr;       // the project file (borrowed)
    Host::FUnknown* target = nullptr;  // the object the project is built into (borrowed)
    IPtr<Host::IHostContext> context;
    // Held from the step that takes them to the end of the run.
    IPtr<Host::IMessageDisplay> messages;
    IPtr<Host::IFileAccess> files;
    IPtr<Host::IMixerAccess> mixerAccess;
    // Held from the start of the read to the end of the run; the edit context only while a
    // ReadScope stands (every change the import makes in the host passes it).
    IPtr<Host::IProject> project;
    IPtr<Host::IObjectTree> projectRoot;
    IPtr<Host::IEditContext> edit;

    std::u16string name;         // the host application's name
    std::u16string versionText;  // its version text
    HostVersion version;
    FaderScale faderScale = FaderScale::Older;  // newer when the host's mixer reports 4.0

    // The run's first step: the message and file interfaces, the application's name and
    // version, the mixer's scale. False (and nothing held) when the host gives no
    // application information: the run ends there.
    bool learnHost();
    // The read's first step: the project from the target, the edit context, the project's
    // tree root. The import run takes them through a ReadScope, which owns the edit
    // context's hold; a bench that stands in for the run may take them directly.
    void takeProject();
    // Lets go of what the run held, in the reverse order of taking it.
    void endRun();

    // Shows an 8-bit English text through the host's message display (showHostMessage).
    void showMessage(const char* text);
    // True once the run has shown a message.
    bool messageShown = false;
};

// The read and its hand-over: takes the project, the edit context and the tree root, and
// opens the edit (its first operation, with 0); when the scope ends, however the read ends,
// it lets go of the edit context. The one place that does.
class ReadScope {
public:
    explicit ReadScope(HostSession& host);
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

private:
    HostSession& host_;
};

}  // namespace Tessaro
