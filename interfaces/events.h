// Events on tracks (MIDI parts, notes, controller-like events, audio events) and track
// automation.
#pragma once

#include "project.h"

namespace Host {

class IAudioClip;

class IEventList : public FUnknown {
public:
    enum Kind : int32 { kMidi = 1, kAudio = 2, kAutomation = 3 };
    // Prepares the list for events of that kind.
    virtual tresult prepare(int32 kind) = 0;
    virtual int32 getCount() = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0401, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// Any event. Setters pass the list that holds the event (borrowed) and the edit context.
class IEvent : public FUnknown {
public:
    virtual tresult setStart(IEventList* list, double position, IEditContext* edit) = 0;
    virtual tresult setLength(IEventList* list, double length, IEditContext* edit) = 0;
    virtual tresult setMute(IEventList* list, tbool mute, IEditContext* edit) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0402, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A MIDI part; it answers IEvent and IParamNode (its "quantMenu" parameter) too.
class IMidiPart : public FUnknown {
public:
    virtual tresult setPartName(const char16* name) = 0;
    // *list gets the part's own event list (a new reference).
    virtual tresult getEventList(IEventList** list) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0403, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A note; it answers IEvent too.
class INoteEvent : public FUnknown {
public:
    virtual tresult setPitch(IEventList* list, int32 pitch, IEditContext* edit) = 0;
    virtual tresult setVelocity(IEventList* list, int32 velocity, IEditContext* edit) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0404, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A controller-like event ("pitchbend", "aftertouch", "program change", "controller");
// it answers IEvent too.
class IControlEvent : public FUnknown {
public:
    // Sets data value `index` (0 or 1).
    virtual tresult setData(IEventList* list, int32 index, int32 value, IEditContext* edit) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0405, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// An audio event; it answers IEvent too.
class IAudioEvent : public FUnknown {
public:
    // Offset into the clip's file, in seconds.
    virtual tresult setOffset(IEventList* list, double seconds, IEditContext* edit) = 0;
    // Volume on the app's 0 to 100 scale.
    virtual tresult setVolume(IEventList* list, double volume, IEditContext* edit) = 0;
    virtual tresult setFadeIn(IEventList* list, double length, IEditContext* edit) = 0;
    virtual tresult setFadeOut(IEventList* list, double length, IEditContext* edit) = 0;
    // Attaches clip (borrowed; the event keeps its own reference).
    virtual tresult setClip(IAudioClip* clip) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0406, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IAutomationTrack : public FUnknown {
public:
    enum Kind : int32 { kVolume = 0, kPan = 1, kSendLevel = 2 };
    virtual int32 getKind() = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0407, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A track's automation.
class IAutomation : public FUnknown {
public:
    virtual tresult setReadEnabled(tbool on) = 0;
    virtual tresult setWriteEnabled(tbool on) = 0;
    virtual tresult setShown(tbool on) = 0;
    // *track gets the automation track of that kind (a new reference), made when create
    // is set and there is none yet; null otherwise.
    virtual tresult getAutomationTrack(int32 kind, tbool create, FUnknown** track) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0408, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A point of an automation track, created with kAutomationEventClass.
class IAutomationEvent : public FUnknown {
public:
    // Value on the automated parameter's 0 to 1 scale.
    virtual tresult setValue(double value, IEditContext* edit) = 0;
    virtual tresult setFlags(int32 flags, IEditContext* edit) = 0;
    virtual tresult setPosition(double position, IEditContext* edit) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0409, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

}  // namespace Host
