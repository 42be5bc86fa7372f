// The plug-in factory as the host's loader sees it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/iptr.h"
#include "module/class_ids.h"
#include "module/plugin_factory.h"

using namespace Tessaro;

namespace {

IPtr<Host::IPluginFactory3> factory3() {
    auto factory = IPtr<Host::IPluginFactory>::adopt(getOrMakePluginFactory());
    return queryTo<Host::IPluginFactory3>(factory);
}

std::u16string units(const char16_t* text) { return std::u16string(text); }

}  // namespace

TEST(PluginFactory, IsSharedUntilTheLastReleaseThenMadeAnew) {
    Host::IPluginFactory* first = getOrMakePluginFactory();
    Host::IPluginFactory* second = getOrMakePluginFactory();
    ASSERT_EQ(first, second);
    EXPECT_EQ(pluginFactoryInUse()->refCount(), 2);
    EXPECT_EQ(second->release(), 1u);
    EXPECT_EQ(first->release(), 0u);
    EXPECT_EQ(pluginFactoryInUse(), nullptr);
    Host::IPluginFactory* third = getOrMakePluginFactory();
    EXPECT_EQ(pluginFactoryInUse()->refCount(), 1);
    third->release();
}

TEST(PluginFactory, TheLastReleaseOfAnotherFactoryLeavesTheModulesOwnInPlace) {
    Host::IPluginFactory* shared = getOrMakePluginFactory();
    auto* apart = new CPluginFactory(Host::PFactoryInfo{});
    EXPECT_EQ(apart->release(), 0u);
    EXPECT_EQ(pluginFactoryInUse(), shared);
    Host::IPluginFactory* again = getOrMakePluginFactory();
    EXPECT_EQ(again, shared);
    EXPECT_EQ(again->release(), 1u);
    EXPECT_EQ(shared->release(), 0u);
    EXPECT_EQ(pluginFactoryInUse(), nullptr);
}

TEST(PluginFactory, FactoryInformation) {
    auto factory = factory3();
    Host::PFactoryInfo info;
    std::memset(&info, 0x55, sizeof info);
    ASSERT_EQ(factory->getFactoryInfo(&info), Host::kResultOk);
    EXPECT_STREQ(info.vendor, "Valdrun Media Technologies");
    EXPECT_EQ(std::string(info.url).rfind("https://", 0), 0u);
    EXPECT_EQ(std::string(info.email).rfind("mailto:", 0), 0u);
    EXPECT_EQ(info.flags, 16);
    // Fields are zero-filled behind their text.
    EXPECT_EQ(info.vendor[63], 0);
    EXPECT_EQ(factory->getFactoryInfo(nullptr), Host::kResultOk);
}

TEST(PluginFactory, ClassRecordsInAllThreeForms) {
    auto factory = factory3();
    ASSERT_EQ(factory->countClasses(), 1);

    Host::PClassInfo2 info2;
    ASSERT_EQ(factory->getClassInfo2(0, &info2), Host::kResultOk);
    EXPECT_EQ(std::memcmp(info2.cid, kTessaroFilterClassId.bytes, 16), 0);
    EXPECT_EQ(info2.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info2.category, "Project Filter");
    EXPECT_STREQ(info2.name, "Tessaro Project");
    EXPECT_EQ(info2.classFlags, 0u);
    EXPECT_STREQ(info2.subCategories, "");
    EXPECT_STREQ(info2.vendor, "");
    EXPECT_STREQ(info2.version, "2.1.0.1");
    EXPECT_STREQ(info2.sdkVersion, "4.0.0");

    Host::PClassInfo info;
    ASSERT_EQ(factory->getClassInfo(0, &info), Host::kResultOk);
    EXPECT_EQ(std::memcmp(&info, &info2, sizeof info), 0);

    Host::PClassInfoW infoW;
    ASSERT_EQ(factory->getClassInfoUnicode(0, &infoW), Host::kResultOk);
    EXPECT_EQ(units(infoW.name), u"Tessaro Project");
    EXPECT_EQ(units(infoW.version), u"2.1.0.1");
    EXPECT_EQ(units(infoW.sdkVersion), u"4.0.0");
    EXPECT_EQ(units(infoW.vendor), u"");
    EXPECT_STREQ(infoW.category, "Project Filter");
}

TEST(PluginFactory, BadIndexOrDestinationIsInvalidArgument) {
    auto factory = factory3();
    Host::PClassInfo info;
    Host::PClassInfo2 info2;
    Host::PClassInfoW infoW;
    for (Host::int32 index : {1, -1, 1000}) {
        EXPECT_EQ(factory->getClassInfo(index, &info), Host::kInvalidArgument) << index;
        EXPECT_EQ(factory->getClassInfo2(index, &info2), Host::kInvalidArgument) << index;
        EXPECT_EQ(factory->getClassInfoUnicode(index, &infoW), Host::kInvalidArgument) << index;
    }
    EXPECT_EQ(factory->getClassInfo(0, nullptr), Host::kInvalidArgument);
}

TEST(PluginFactory, WidensLongTextsToAtMost63Units) {
    Host::PFactoryInfo fi{};
    CPluginFactory factory(fi);
    Host::PClassInfo2 info{};
    std::memset(info.name, 'n', sizeof info.name);  // 64 bytes, no terminator
    ASSERT_TRUE(factory.registerClass(&info, [](void*) -> Host::FUnknown* { return nullptr; },
                                      nullptr));
    Host::PClassInfoW w;
    ASSERT_EQ(factory.getClassInfoUnicode(0, &w), Host::kResultOk);
    EXPECT_EQ(units(w.name), std::u16string(63, u'n'));
    EXPECT_FALSE(factory.registerClass(nullptr, [](void*) -> Host::FUnknown* { return nullptr; },
                                       nullptr));
    EXPECT_FALSE(factory.registerClass(&info, nullptr, nullptr));
    EXPECT_EQ(factory.countClasses(), 1);
    factory.addRef();  // the stack object must not delete itself
}

TEST(PluginFactory, CreatesFiltersByClassAndInterface) {
    auto factory = factory3();
    void* obj = reinterpret_cast<void*>(1);
    ASSERT_EQ(factory->createInstance(kTessaroFilterClassId, Host::FUnknown::iid, &obj),
              Host::kResultOk);
    ASSERT_NE(obj, nullptr);
    auto filter = IPtr<Host::FUnknown>::adopt(static_cast<Host::FUnknown*>(obj));
    // The creation reference is gone: one more reference and one release end it.
    EXPECT_EQ(filter->addRef(), 2u);
    EXPECT_EQ(filter->release(), 1u);

    obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->createInstance(kTessaroFilterClassId, Host::IBStream::iid, &obj),
              Host::kNoInterface);
    EXPECT_EQ(obj, nullptr);

    obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->createInstance(Host::FUnknown::iid, Host::FUnknown::iid, &obj),
              Host::kNoInterface);
    EXPECT_EQ(obj, nullptr);
}

TEST(PluginFactory, AnswersItsFourInterfacesOnly) {
    auto factory = factory3();
    for (const auto& iid : {Host::FUnknown::iid, Host::IPluginFactory::iid,
                            Host::IPluginFactory2::iid, Host::IPluginFactory3::iid}) {
        void* obj = nullptr;
        ASSERT_EQ(factory->queryInterface(iid, &obj), Host::kResultOk);
        EXPECT_EQ(obj, static_cast<Host::IPluginFactory3*>(factory.get()));
        factory->release();
    }
    void* obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->queryInterface(Host::IPluginBase::iid, &obj), Host::kNoInterface);
    EXPECT_EQ(obj, nullptr);
}
