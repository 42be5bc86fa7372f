#include "tests/support/host_access.h"

namespace TessaroTest {

using Tessaro::IPtr;
using Tessaro::queryTo;

IPtr<Host::IProjectObject> addTrack(RefHost::ReferenceHost& host, const char* kind,
                                    const char16_t* name, Host::FUnknown* container) {
    auto project = projectOf(host);
    auto factory = queryTo<Host::IObjectFactory>(project);
    auto edit = contextAs<Host::IEditContext>(host);
    IPtr<Host::FUnknown> object;
    if (!factory || !edit || factory->createObject(kind, object.put()) != Host::kResultOk)
        return {};
    edit->insertObject(container ? container : project.get(), object.get());
    auto track = queryTo<Host::IProjectObject>(object);
    if (track) track->setName(project.get(), name, edit.get());
    return track;
}

std::string nameOf(Host::IProjectObject* object) {
    return Tessaro::toUtf8(Tessaro::readHostText(
        [&](char16_t* b, Host::int32 n) { return object->getName(b, n); }));
}

std::string nameOf(Host::IParamNode* node) {
    return Tessaro::readHostText8([&](char* b, Host::int32 n) { return node->getName(b, n); });
}

}  // namespace TessaroTest
