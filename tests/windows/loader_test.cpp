// tessaroimporter.dll as a Windows host loads it: LoadLibraryW, the export table of the
// loaded image, the three entry points, the factory's records, a filter made and
// initialised across the DLL boundary, and FreeLibrary.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "interfaces/all.h"
#include "module/class_ids.h"
#include "tests/windows/system_path.h"

using TessaroWindowsTest::systemPath;

namespace {

constexpr wchar_t kModuleFileName[] = L"tessaroimporter.dll";

// A loaded module, freed when the test is done with it.
class Library {
public:
    explicit Library(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
    ~Library() { free(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    HMODULE get() const { return module_; }
    bool free() { return module_ && FreeLibrary(std::exchange(module_, nullptr)); }

    template <class Proc>
    Proc proc(const char* name) const {
        return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

struct ImageFacts {
    WORD machine = 0;
    bool isDll = false;
    std::string exportName;              // the DLL name in the export directory
    DWORD exportedFunctions = 0;         // entries of the export address table
    std::vector<std::string> exportedNames;
};

// Reads the headers and the export directory of a module as the loader mapped it.
ImageFacts readImage(HMODULE module) {
    ImageFacts facts;
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return facts;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return facts;
    facts.machine = nt->FileHeader.Machine;
    facts.isDll = (nt->FileHeader.Characteristics & IMAGE_FILE_DLL) != 0;
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory.VirtualAddress == 0) return facts;
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    facts.exportName = reinterpret_cast<const char*>(base + exports->Name);
    facts.exportedFunctions = exports->NumberOfFunctions;
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        facts.exportedNames.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    std::sort(facts.exportedNames.begin(), facts.exportedNames.end());
    return facts;
}

// Just enough host context for initialize: it answers its own interface and counts the
// references the filter takes and gives back.
class CountingHostContext : public Host::IHostContext {
public:
    Host::tresult queryInterface(const Host::FUID& interfaceId, void** obj) override {
        if (interfaceId == Host::FUnknown::iid || interfaceId == Host::IHostContext::iid) {
            addRef();
            *obj = static_cast<Host::IHostContext*>(this);
            return Host::kResultOk;
        }
        *obj = nullptr;
        return Host::kNoInterface;
    }
    Host::uint32 addRef() override { return ++references; }
    Host::uint32 release() override { return --references; }
    Host::tresult getProject(Host::IProject** project) override {
        *project = nullptr;
        return Host::kResultFalse;
    }
    Host::tresult createInstance(const Host::FUID&, const Host::FUID&, void** obj) override {
        *obj = nullptr;
        return Host::kNoInterface;
    }

    Host::uint32 references = 1;
};

class WindowsModule : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetModuleHandleW(kModuleFileName), nullptr) << "loaded before the test";
        loaded.emplace(systemPath(TESSARO_MODULE_PATH));
        ASSERT_NE(module().get(), nullptr) << "LoadLibraryW failed, error " << GetLastError();
        getFactory = module().proc<Host::GetFactoryProc>("GetPluginFactory");
        initDll = module().proc<Host::InitModuleProc>("InitDll");
        exitDll = module().proc<Host::ExitModuleProc>("ExitDll");
        ASSERT_NE(getFactory, nullptr);
        ASSERT_NE(initDll, nullptr);
        ASSERT_NE(exitDll, nullptr);
    }

    Library& module() { return *loaded; }

    std::optional<Library> loaded;
    Host::GetFactoryProc getFactory = nullptr;
    Host::InitModuleProc initDll = nullptr;
    Host::ExitModuleProc exitDll = nullptr;
};

}  // namespace

TEST_F(WindowsModule, IsAnX64DllThatExportsExactlyTheThreeEntryPoints) {
    const ImageFacts facts = readImage(module().get());
    EXPECT_EQ(facts.machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_TRUE(facts.isDll);
    EXPECT_EQ(facts.exportName, "tessaroimporter.dll");
    EXPECT_EQ(facts.exportedNames,
              (std::vector<std::string>{"ExitDll", "GetPluginFactory", "InitDll"}));
    EXPECT_EQ(facts.exportedFunctions, 3u);
}

TEST_F(WindowsModule, EntryPointsAndFactoryRecords) {
    EXPECT_TRUE(initDll());

    Host::IPluginFactory* factory = getFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(getFactory(), factory) << "a second call hands out the same factory";
    EXPECT_EQ(factory->release(), 1u);

    Host::PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), Host::kResultOk);
    EXPECT_STREQ(info.vendor, "Valdrun Media Technologies");
    EXPECT_EQ(info.flags, Host::PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 1);

    Host::PClassInfo basic{};
    ASSERT_EQ(factory->getClassInfo(0, &basic), Host::kResultOk);
    EXPECT_EQ(std::memcmp(basic.cid, Tessaro::kTessaroFilterClassId.bytes, 16), 0);
    EXPECT_STREQ(basic.category, "Project Filter");
    EXPECT_STREQ(basic.name, "Tessaro Project");
    EXPECT_EQ(factory->getClassInfo(1, &basic), Host::kInvalidArgument);

    void* obj = nullptr;
    ASSERT_EQ(factory->queryInterface(Host::IPluginFactory3::iid, &obj), Host::kResultOk);
    auto* factory3 = static_cast<Host::IPluginFactory3*>(obj);
    Host::PClassInfo2 extended{};
    ASSERT_EQ(factory3->getClassInfo2(0, &extended), Host::kResultOk);
    EXPECT_STREQ(extended.version, "2.1.0.1");
    Host::PClassInfoW unicode{};
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &unicode), Host::kResultOk);
    EXPECT_EQ(std::u16string(unicode.name), u"Tessaro Project");
    EXPECT_EQ(factory3->release(), 1u);

    EXPECT_EQ(factory->release(), 0u);
    EXPECT_TRUE(exitDll());
}

TEST_F(WindowsModule, FilterIsCreatedInitialisedAndReleased) {
    Host::IPluginFactory* factory = getFactory();
    ASSERT_NE(factory, nullptr);

    void* obj = reinterpret_cast<void*>(1);
    const Host::FUID unknownClass =
        Host::FUID::make(0x01234567, 0x89AB, 0xCDEF, 0, 1, 2, 3, 4, 5, 6, 7);
    EXPECT_EQ(factory->createInstance(unknownClass, Host::FUnknown::iid, &obj),
              Host::kNoInterface);
    EXPECT_EQ(obj, nullptr);

    ASSERT_EQ(factory->createInstance(Tessaro::kTessaroFilterClassId,
                                      Host::IProjectFilterPlugin::iid, &obj),
              Host::kResultOk);
    auto* filter = static_cast<Host::IProjectFilterPlugin*>(obj);
    ASSERT_NE(filter, nullptr);

    Host::ProjectFileType type{};
    ASSERT_EQ(filter->getFileType(&type), Host::kResultOk);
    EXPECT_EQ(type.count, 1);
    EXPECT_EQ(std::memcmp(type.typeCode, "tsp ", 4), 0);
    EXPECT_STREQ(type.extension, "tsp");
    EXPECT_STREQ(type.displayName, "Tessaro File");

    CountingHostContext context;
    EXPECT_EQ(filter->initialize(&context), Host::kResultOk);
    EXPECT_EQ(context.references, 2u) << "the filter keeps one reference to the context";
    EXPECT_EQ(filter->terminate(), Host::kResultOk);
    EXPECT_EQ(context.references, 1u);

    EXPECT_EQ(filter->release(), 0u);
    EXPECT_EQ(factory->release(), 0u);
}

TEST_F(WindowsModule, UnloadsWhenFreed) {
    Host::IPluginFactory* factory = getFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->release(), 0u);
    EXPECT_TRUE(module().free());
    EXPECT_EQ(GetModuleHandleW(kModuleFileName), nullptr);

    // Loaded anew, the module starts without a factory and makes a fresh one.
    Library again(systemPath(TESSARO_MODULE_PATH));
    ASSERT_NE(again.get(), nullptr);
    auto getAgain = again.proc<Host::GetFactoryProc>("GetPluginFactory");
    ASSERT_NE(getAgain, nullptr);
    Host::IPluginFactory* fresh = getAgain();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->release(), 0u);
}
