// Project import and export filters: plug-ins that bring a foreign project file into the
// host's project (or write one).
#pragma once

#include <cstddef>

#include "pluginbase.h"

namespace Host {

class IPath;

// The file type a filter handles, filled by getFileType.
struct ProjectFileType {
    int32 count;            // number of file types described (1)
    char8 typeCode[4];      // four-character type code, no terminator
    char8 extension[8];     // zero-terminated extension without the dot
    char8 displayName[64];  // zero-terminated name shown in the host's file dialog
};
static_assert(sizeof(ProjectFileType) == 80);
static_assert(offsetof(ProjectFileType, typeCode) == 4);
static_assert(offsetof(ProjectFileType, extension) == 8);
static_assert(offsetof(ProjectFileType, displayName) == 16);

// Slot order: queryInterface, addRef, release, initialize, terminate, getFileType,
// exportProject, importProject, then the implementation's destructor.
class IProjectFilterPlugin : public IPluginBase {
public:
    // Fills *type with the file type the filter handles.
    virtual tresult getFileType(ProjectFileType* type) = 0;
    // Exports the host's project (source, borrowed) to the file at path (borrowed).
    virtual tresult exportProject(IPath* path, FUnknown* source) = 0;
    // Imports the file at path (borrowed) into target (borrowed; the filter asks it for
    // IProject and IImportTarget). 0 when the import succeeded, 1 when it failed.
    virtual tresult importProject(IPath* path, FUnknown* target) = 0;

    static constexpr FUID iid =
        FUID::make(0x5E9A1C37, 0x2B64, 0x4D0E, 0x9F, 0x31, 0x6A, 0xC2, 0x8B, 0x7D, 0x40, 0x15);
};

// Older identifiers of the same interface: hosts of earlier versions ask for these and get
// the same table.
inline constexpr FUID kIProjectImportFilterIID =
    FUID::make(0x5E9A1C38, 0x2B64, 0x4D0E, 0x9F, 0x31, 0x6A, 0xC2, 0x8B, 0x7D, 0x40, 0x15);
inline constexpr FUID kIProjectExportFilterIID =
    FUID::make(0x5E9A1C39, 0x2B64, 0x4D0E, 0x9F, 0x31, 0x6A, 0xC2, 0x8B, 0x7D, 0x40, 0x15);

}  // namespace Host
