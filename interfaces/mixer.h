// The host's mixer: channels, their parameter trees and insert and send slots.
#pragma once

#include "host.h"

namespace Host {

class IParameter;

// A node of a channel's parameter tree ("Panner", "Sends", "Inserts", "Slot", a plug-in
// instance, the mixer object "QPL Mixer" and its "Channels").
class IParamNode : public FUnknown {
public:
    // Copies the node's name (8-bit), zero-terminated and cut to size bytes.
    virtual tresult getName(char8* buffer, int32 size) = 0;
    virtual int32 getChildCount() = 0;
    // *child gets child `index` (a new reference), or null.
    virtual tresult getChild(int32 index, IParamNode** child) = 0;
    // *child gets the first child named name (a new reference), or null.
    virtual tresult findChild(const char8* name, IParamNode** child) = 0;
    // *param gets the node's parameter of that name or tag (a new reference), or null.
    virtual tresult findParameter(const char8* name, IParameter** param) = 0;
    virtual tresult findParameterByTag(int32 tag, IParameter** param) = 0;
    // *node gets the node's processing sub-node (a channel's strip), or null.
    virtual tresult getSubNode(IParamNode** node) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0301, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A parameter: an integer value from 0 to its maximum (its step count); some also take
// a float value. A list parameter answers IListParameter.
class IParameter : public FUnknown {
public:
    virtual tresult getName(char8* buffer, int32 size) = 0;
    virtual int32 getTag() = 0;
    // The largest integer value (the number of steps).
    virtual int32 getMax() = 0;
    virtual double getValue() = 0;
    // Sets an integer value; values outside 0 to the maximum are clamped.
    virtual tresult setValue(int32 value) = 0;
    // Sets a value between the integer steps (0 to the maximum, clamped); notify true
    // also updates the host's open editors at once.
    virtual tresult setFloatValue(double value, tbool notify) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0302, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IEntryList : public FUnknown {
public:
    virtual int32 getCount() = 0;
    // Copies entry `index`'s text (UTF-16), zero-terminated, into buffer.
    virtual tresult getEntryName(int32 index, char16* buffer, int32 size) = 0;
    // The parameter value that selects entry `index`, -1 for a bad index.
    virtual int32 getEntryValue(int32 index) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0303, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IListParameter : public FUnknown {
public:
    // Brings the entries up to date.
    virtual tresult refresh() = 0;
    // *entries gets the parameter's entries (a new reference), or null.
    virtual tresult getEntries(IEntryList** entries) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0304, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A track's mixer channel, asked from the track.
class IChannel : public FUnknown {
public:
    // *root gets the root of the channel's parameter tree (a new reference).
    virtual tresult getParamRoot(IParamNode** root) = 0;
    // Sets the channel's mode (2: a stereo effect return).
    virtual tresult setMode(int32 mode) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0305, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A channel of "Channels" seen as a mixer device.
class IDevice : public FUnknown {
public:
    // Copies the channel's type name: "AudioChannel", "Synth", "FxChannel", "Output".
    virtual tresult getTypeName(char8* buffer, int32 size) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0306, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IChannelInfo : public FUnknown {
public:
    // True for a channel that belongs to a track or an effect channel; false for the
    // project's output channels.
    virtual tbool isTrackChannel() = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0307, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A send slot's routing.
class ISendRouting : public FUnknown {
public:
    // Makes the send feed destination (a channel of "Channels", borrowed).
    virtual tresult setDestination(FUnknown* destination) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0308, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

}  // namespace Host
