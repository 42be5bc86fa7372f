// Plug-in loading: the base interface of every plug-in class and the plug-in factory
// with its records. Records are handed by copy; their sizes are part of the host's ABI.
#pragma once

#include <cstddef>

#include "funknown.h"

namespace Host {

// Every plug-in class the host creates through a factory.
class IPluginBase : public FUnknown {
public:
    // Hands the plug-in the host's context object (borrowed: the plug-in queries what it
    // needs and keeps those references). kResultOk when the plug-in can work with it.
    virtual tresult initialize(FUnknown* context) = 0;
    // Ends the plug-in's use of the host; it releases what initialize kept.
    virtual tresult terminate() = 0;

    static constexpr FUID iid =
        FUID::make(0x22888DDB, 0x156E, 0x45AE, 0x83, 0x58, 0xB3, 0x48, 0x08, 0x19, 0x06, 0x25);
};

// Factory information, filled by IPluginFactory::getFactoryInfo.
struct PFactoryInfo {
    enum : int32 { kUnicode = 1 << 4 };  // class information is also offered in UTF-16
    char8 vendor[64];
    char8 url[256];
    char8 email[128];
    int32 flags;
};
static_assert(sizeof(PFactoryInfo) == 452);
static_assert(offsetof(PFactoryInfo, url) == 64);
static_assert(offsetof(PFactoryInfo, email) == 320);
static_assert(offsetof(PFactoryInfo, flags) == 448);

// Class information, basic form (the first four fields of PClassInfo2).
struct PClassInfo {
    enum : int32 { kManyInstances = 0x7FFFFFFF };
    uint8 cid[16];
    int32 cardinality;
    char8 category[32];
    char8 name[64];
};
static_assert(sizeof(PClassInfo) == 116);
static_assert(offsetof(PClassInfo, cardinality) == 16);
static_assert(offsetof(PClassInfo, category) == 20);
static_assert(offsetof(PClassInfo, name) == 52);

// Class information, extended form.
struct PClassInfo2 {
    uint8 cid[16];
    int32 cardinality;
    char8 category[32];
    char8 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char8 vendor[64];
    char8 version[64];
    char8 sdkVersion[64];
};
static_assert(sizeof(PClassInfo2) == 440);
static_assert(offsetof(PClassInfo2, classFlags) == 116);
static_assert(offsetof(PClassInfo2, subCategories) == 120);
static_assert(offsetof(PClassInfo2, vendor) == 248);
static_assert(offsetof(PClassInfo2, version) == 312);
static_assert(offsetof(PClassInfo2, sdkVersion) == 376);

// Class information, UTF-16 form: name, vendor and versions widened to UTF-16;
// category and sub-categories stay 8-bit.
struct PClassInfoW {
    uint8 cid[16];
    int32 cardinality;
    char8 category[32];
    char16 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};
static_assert(sizeof(PClassInfoW) == 696);
static_assert(offsetof(PClassInfoW, name) == 52);
static_assert(offsetof(PClassInfoW, classFlags) == 180);
static_assert(offsetof(PClassInfoW, subCategories) == 184);
static_assert(offsetof(PClassInfoW, vendor) == 312);
static_assert(offsetof(PClassInfoW, version) == 440);
static_assert(offsetof(PClassInfoW, sdkVersion) == 568);

class IPluginFactory : public FUnknown {
public:
    // Copies the factory information into *info; a null info succeeds and writes nothing.
    virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
    // Number of classes the factory offers.
    virtual int32 countClasses() = 0;
    // Copies the basic class record of class `index`; kInvalidArgument for a bad index or
    // a null info.
    virtual tresult getClassInfo(int32 index, PClassInfo* info) = 0;
    // Creates an instance of class `cid` and returns its interface `iid` in *obj (a new
    // reference for the caller); kNoInterface and a null *obj when either is unknown.
    virtual tresult createInstance(const FUID& cid, const FUID& interfaceId, void** obj) = 0;

    static constexpr FUID iid =
        FUID::make(0x7A4D811C, 0x5211, 0x4A1F, 0xAE, 0xD9, 0xD2, 0xEE, 0x0B, 0x43, 0xBF, 0x9F);
};

class IPluginFactory2 : public IPluginFactory {
public:
    // Copies the extended class record of class `index`; errors as getClassInfo.
    virtual tresult getClassInfo2(int32 index, PClassInfo2* info) = 0;

    static constexpr FUID iid =
        FUID::make(0x0007B650, 0xF24B, 0x4C0B, 0xA4, 0x64, 0xED, 0xB9, 0xF0, 0x0B, 0x2A, 0xBB);
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    // Copies the UTF-16 class record of class `index`; errors as getClassInfo.
    virtual tresult getClassInfoUnicode(int32 index, PClassInfoW* info) = 0;
    // Hands the factory the host's context (borrowed).
    virtual tresult setHostContext(FUnknown* context) = 0;

    static constexpr FUID iid =
        FUID::make(0x4555A2AB, 0xC123, 0x4E57, 0x9B, 0x12, 0x29, 0x10, 0x36, 0x87, 0x89, 0x31);
};

// The exported entry points of a plug-in module.
extern "C" {
using GetFactoryProc = IPluginFactory* (*)();  // "GetPluginFactory": a new reference
using InitModuleProc = bool (*)();              // "InitDll"
using ExitModuleProc = bool (*)();              // "ExitDll"
}

}  // namespace Host
