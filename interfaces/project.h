// The host project: its object tree, tracks, attributes, tempo and signature.
#pragma once

#include "host.h"

namespace Host {

class IObjectTree;
class IProjectObject;
class ITrack;
class IAttributeList;
class IEventList;
class IAutomation;
class IAutomationTrack;

class ITempo : public FUnknown {
public:
    // Switches the tempo track on (1) or off (0).
    virtual tresult setActive(int32 on) = 0;
    // Sets the tempo in beats per minute.
    virtual tresult setTempo(double bpm) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0201, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class ISignatureTrack : public FUnknown {
public:
    // Puts a signature numerator/denominator at position (project units).
    virtual tresult addSignature(double position, int32 numerator, int32 denominator,
                                 IEditContext* edit) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0202, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// The project. Asked with queryInterface it also answers IObjectFactory.
class IProject : public FUnknown {
public:
    // *tree gets the root of the project's object tree (which 0: the track tree).
    virtual tresult getRoot(int32 which, IObjectTree** tree) = 0;
    // *tempo gets the project's tempo object; rate is the file's position units per
    // second, which the host uses to place the tempo track's grid.
    virtual tresult getTempo(double rate, ITempo** tempo) = 0;
    // Sets the project's length in position units.
    virtual tresult setLength(double length) = 0;
    // *track gets the project's signature track.
    virtual tresult getSignatureTrack(ISignatureTrack** track) = 0;
    // *list gets the event list of an automation track (borrowed argument).
    virtual tresult getAutomationEventList(IAutomationTrack* track, IEventList** list) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0203, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// Creates project objects by kind name: "instrument", "audio", "FX Channel" (tracks),
// "MIDI part", "note", "pitchbend", "aftertouch", "program change", "controller",
// "audio event".
class IObjectFactory : public FUnknown {
public:
    // *object gets a new object of that kind, not yet in the project (a new reference).
    virtual tresult createObject(const char8* kind, FUnknown** object) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0204, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IObjectIterator : public FUnknown {
public:
    virtual tbool atEnd() = 0;
    // *object gets the next object (a new reference) and moves on; null at the end.
    virtual tresult next(IProjectObject** object) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0205, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IObjectTree : public FUnknown {
public:
    // *children gets an iterator over the root's children (a new reference), or null
    // when the root has none.
    virtual tresult getChildren(IObjectIterator** children) = 0;
    // *tree gets the tree below object (borrowed), or null when it holds nothing.
    virtual tresult getSubTree(IProjectObject* object, IObjectTree** tree) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0206, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// Any object of the project's tree (tracks, folders, effect channels).
class IProjectObject : public FUnknown {
public:
    // True when the object is of that kind: "track", "instrument", "audio", "effect",
    // "folder".
    virtual tbool isKind(const char8* kind) = 0;
    // Copies the object's name, zero-terminated and cut to size units.
    virtual tresult getName(char16* buffer, int32 size) = 0;
    // *track gets the object's host track (a new reference), or null.
    virtual tresult getTrack(ITrack** track) = 0;
    virtual tresult setName(IProject* project, const char16* name, IEditContext* edit) = 0;
    // Sets the colour as 0xAARRGGBB.
    virtual tresult setColor(IProject* project, uint32 color, IEditContext* edit) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0207, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A track. Asked with queryInterface it also answers IProjectObject and, when it has a
// mixer channel, IChannel.
class ITrack : public FUnknown {
public:
    // *list gets the track's attribute list (a new reference).
    virtual tresult getAttributes(IAttributeList** list) = 0;
    // *list gets the track's event list (a new reference), or null for tracks without
    // events.
    virtual tresult getEventList(IEventList** list) = 0;
    // *automation gets the track's automation (a new reference), or null.
    virtual tresult getAutomation(IAutomation** automation) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0208, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// Typed attributes stored on a track under four-character keys.
class IAttributeList : public FUnknown {
public:
    enum Type : int32 {
        kInteger = 1, kFloat = 2, kString8 = 4, kObject = 8, kOwner = 16, kString16 = 32
    };
    // kResultOk when key is present.
    virtual tresult hasAttribute(const char8* key) = 0;
    // The type of the value under key, 0 when absent.
    virtual int32 getType(const char8* key) = 0;
    // Read a value; kResultFalse when absent or of another type (nothing written then).
    virtual tresult getInt(const char8* key, int64* value) = 0;
    virtual tresult getFloat(const char8* key, double* value) = 0;
    virtual tresult getString(const char8* key, char16* buffer, int32 size) = 0;
    // Store a value, replacing one of any type; notify tells the host's views.
    virtual tresult setInt(const char8* key, int64 value, tbool notify) = 0;
    virtual tresult setFloat(const char8* key, double value, tbool notify) = 0;
    virtual tresult setString(const char8* key, const char16* value, tbool notify) = 0;
    // Renames the object that owns the list.
    virtual tresult setName(IProject* project, const char16* name, IEditContext* edit) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0209, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

}  // namespace Host
