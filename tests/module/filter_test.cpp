// The project filter object as the host calls it, without an import.
#include <gtest/gtest.h>

#include <cstring>

#include "base/iptr.h"
#include "module/filter_plugin.h"

using namespace Tessaro;

namespace {

// The smallest object that is not a host context.
struct PlainObject : Host::FUnknown {
    Host::tresult queryInterface(const Host::FUID&, void** obj) override {
        *obj = nullptr;
        return Host::kNoInterface;
    }
    Host::uint32 addRef() override { return 1; }
    Host::uint32 release() override { return 1; }
};

IPtr<Host::IProjectFilterPlugin> makeFilter() {
    auto filter = IPtr<Host::FUnknown>::adopt(TessaroFilterPlugin::create(nullptr));
    return queryTo<Host::IProjectFilterPlugin>(filter);
}

}  // namespace

TEST(FilterPlugin, AnswersFiveInterfacesWithTheSameObject) {
    auto filter = makeFilter();
    for (const auto& iid : {Host::FUnknown::iid, Host::IPluginBase::iid,
                            Host::IProjectFilterPlugin::iid, Host::kIProjectImportFilterIID,
                            Host::kIProjectExportFilterIID}) {
        void* obj = nullptr;
        ASSERT_EQ(filter->queryInterface(iid, &obj), Host::kResultOk);
        EXPECT_EQ(obj, static_cast<Host::IProjectFilterPlugin*>(filter.get()));
        // The query added one reference: 1 (ours) + 1 → releasing it leaves 1.
        EXPECT_EQ(filter->release(), 1u);
    }
    void* obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(filter->queryInterface(Host::IPluginFactory::iid, &obj),
              static_cast<Host::tresult>(0x80004002u));
    EXPECT_EQ(obj, nullptr);
}

TEST(FilterPlugin, FileTypeRecord) {
    auto filter = makeFilter();
    Host::ProjectFileType type;
    std::memset(&type, 0x7F, sizeof type);
    ASSERT_EQ(filter->getFileType(&type), Host::kResultOk);
    EXPECT_EQ(type.count, 1);
    EXPECT_EQ(std::memcmp(type.typeCode, "tsp ", 4), 0);
    EXPECT_STREQ(type.extension, "tsp");
    EXPECT_STREQ(type.displayName, "Tessaro File");
}

TEST(FilterPlugin, InitializeWantsAHostContext) {
    auto filter = makeFilter();
    PlainObject notAHost;
    EXPECT_EQ(filter->initialize(&notAHost), Host::kResultFalse);
    EXPECT_EQ(filter->initialize(nullptr), Host::kResultFalse);
    EXPECT_EQ(filter->terminate(), Host::kResultOk);
}

TEST(FilterPlugin, ImportWithoutHostContextFailsQuietlyAndExportDoesNothing) {
    auto filter = makeFilter();
    EXPECT_EQ(filter->importProject(nullptr, nullptr), 1);
    EXPECT_EQ(filter->exportProject(nullptr, nullptr), 0);
}
