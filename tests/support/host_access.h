// Reaching a reference host the way a plug-in does: through the context it lends and the
// interfaces that context answers. Every reference is owned by an IPtr and released once.
#pragma once

#include <string>

#include "base/iptr.h"
#include "base/text.h"
#include "interfaces/all.h"
#include "refhost/reference_host.h"

namespace TessaroTest {

// Interface I of the host context, as a plug-in asks for it after initialize.
template <class I>
Tessaro::IPtr<I> contextAs(RefHost::ReferenceHost& host) {
    return Tessaro::queryTo<I>(host.lendContext());
}

inline Tessaro::IPtr<Host::IProject> projectOf(RefHost::ReferenceHost& host) {
    Tessaro::IPtr<Host::IProject> project;
    if (auto context = contextAs<Host::IHostContext>(host)) context->getProject(project.put());
    return project;
}

// A new track of the object factory's kind, inserted into container (the project when
// null) through the edit context and named.
Tessaro::IPtr<Host::IProjectObject> addTrack(RefHost::ReferenceHost& host, const char* kind,
                                             const char16_t* name,
                                             Host::FUnknown* container = nullptr);

// The UTF-8 name of a project object or a parameter node.
std::string nameOf(Host::IProjectObject* object);
std::string nameOf(Host::IParamNode* node);

}  // namespace TessaroTest
