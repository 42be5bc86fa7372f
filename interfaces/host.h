// The host's services that an import reaches through its host context: messages, files,
// application information, the mixer, the transport, edit steps and object creation.
#pragma once

#include "ibstream.h"

namespace Host {

class IProject;

// The host context handed to IPluginBase::initialize. Besides these operations it answers
// queryInterface for IMessageDisplay, IFileAccess, IApplicationInfo, IMixerAccess,
// ITransport, IEditContext and IAudioFileTypes.
class IHostContext : public FUnknown {
public:
    // *project gets the host's current project (a new reference), or null.
    virtual tresult getProject(IProject** project) = 0;
    // Creates a host object of class `cid` (kPathClass, kMemoryStreamClass, ...) and returns
    // its interface `iid` in *obj (a new reference); kNoInterface and null on failure.
    virtual tresult createInstance(const FUID& cid, const FUID& interfaceId, void** obj) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0001, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// Classes the host context creates.
inline constexpr FUID kPathClass =
    FUID::make(0x7E5A0101, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
inline constexpr FUID kMemoryStreamClass =
    FUID::make(0x7E5A0102, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
inline constexpr FUID kAudioFileReaderClass =
    FUID::make(0x7E5A0103, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
inline constexpr FUID kAudioClipClass =
    FUID::make(0x7E5A0104, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
inline constexpr FUID kAutomationEventClass =
    FUID::make(0x7E5A0105, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);

class IMessageDisplay : public FUnknown {
public:
    // Shows text (UTF-16, zero-terminated, borrowed) to the user. The three values are
    // the message's style, buttons and default answer; 0 for a plain notice.
    virtual tresult showMessage(const char16* text, int32 style, int32 buttons,
                                int32 defaultAnswer) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0002, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A file system path, created with kPathClass.
class IPath : public FUnknown {
public:
    // Sets the path (UTF-16, zero-terminated, borrowed); '/' and '\\' both separate.
    virtual tresult setPath(const char16* path) = 0;
    // Copies the path, zero-terminated and cut to size units, into buffer.
    virtual tresult getPath(char16* buffer, int32 size) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0003, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IFileAccess : public FUnknown {
public:
    enum OpenMode : int32 { kRead = 1, kWrite = 2 };
    // Opens the file at path (borrowed); *stream gets the stream (a new reference).
    // kResultOk on success.
    virtual tresult open(IPath* path, int32 mode, IBStream** stream) = 0;
    // Closes a stream that open returned and takes back the reference open handed out:
    // the caller does not release it again.
    virtual tresult close(IBStream* stream) = 0;
    // kResultOk when a readable file exists at path (borrowed), kResultFalse otherwise.
    virtual tresult checkFile(IPath* path) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0004, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IApplicationInfo : public FUnknown {
public:
    // Copies the application's name (e.g. "Ombrel Fold"), zero-terminated, into buffer.
    virtual tresult getName(char16* buffer, int32 size) = 0;
    // Copies the version text: eight leading characters, then major.minor.patch.
    virtual tresult getVersion(char16* buffer, int32 size) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0005, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class IMixerAccess : public FUnknown {
public:
    // The host object of that name ("QPL Mixer"), or null. Borrowed: the caller adds a
    // reference to keep it.
    virtual FUnknown* findObject(const char8* name, int32 flags) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0006, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// A host object's numeric value (the mixer object answers it).
class IValue : public FUnknown {
public:
    virtual tresult getValue(double* value) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0007, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// Undoable changes of the project. Every change an import makes passes it as its last
// argument.
class IEditContext : public FUnknown {
public:
    // Opens a run of changes; mode 0 is a plain edit.
    virtual tresult beginEdit(int32 mode) = 0;
    // Closes the changes made since the last step into one named, undoable step of
    // project (borrowed); name is UTF-16, borrowed.
    virtual tresult finishStep(IProject* project, const char16* name) = 0;
    // Adds object (borrowed; the container keeps its own reference) to container: the
    // project (a new track), a folder track, or an event list.
    virtual tresult insertObject(FUnknown* container, FUnknown* object) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0008, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

class ITransport : public FUnknown {
public:
    // Switches cycle playback on or off.
    virtual tresult setCycleActive(tbool active) = 0;
    // Sets the cycle range in project position units; factor is the file's position
    // factor, kept for display in ticks.
    virtual tresult setCycleRange(double left, double right, double factor) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A0009, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

// The second argument of importProject: the host's project being filled.
class IImportTarget : public FUnknown {
public:
    // Prepares the project for an import (the host's track template and view mode).
    virtual tresult prepare(int32 templateId, int32 viewMode) = 0;
    virtual tresult setSampleRate(double rate) = 0;
    virtual tresult setSampleSize(int32 bits) = 0;
    virtual tresult getSampleRate(float* rate) = 0;
    virtual tresult getSampleSize(int32* bits) = 0;
    // Copies the project folder (ending in a separator), zero-terminated, into buffer.
    virtual tresult getProjectFolder(char16* buffer, int32 size) = 0;

    static constexpr FUID iid =
        FUID::make(0x7E5A000A, 0x41C2, 0x4B8E, 0x91, 0x0D, 0x3C, 0x5F, 0x2A, 0x77, 0x18, 0xE4);
};

}  // namespace Host
