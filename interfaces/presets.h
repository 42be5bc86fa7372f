// Plug-in instances: their component identity and preset loading.
#pragma once

#include "ibstream.h"

namespace Host {

// A plug-in instance (the first child of an insert or instrument slot) answers these.
class IComponent : public FUnknown {
public:
    // *cid gets the plug-in's class identifier.
    virtual tresult getClassId(FUID* cid) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0601, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IPresetLoader : public FUnknown {
public:
    // Loads the preset file in stream (borrowed; read from its current position) and
    // names the preset name (UTF-16, borrowed). kResultFalse for a malformed file.
    virtual tresult loadPreset(IBStream* stream, const char16* name) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0602, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

}  // namespace Host
