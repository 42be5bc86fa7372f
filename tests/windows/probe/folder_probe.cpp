// A second build of the module's entry code with one more export, for the loader test
// only: it hands out the folder that DllMain recorded when the system loaded the DLL.
// The shipped tessaroimporter.dll is built without this file.
#include <string>

#include "module/module_folder.h"

// Copies the recorded folder, zero-terminated, into buffer (size units); returns the
// folder's length in UTF-16 units, or -1 when it does not fit.
extern "C" __declspec(dllexport) int TessaroProbeModuleFolder(char16_t* buffer, int size) {
    const std::u16string folder = Tessaro::moduleFolder();
    if (!buffer || size <= 0 || folder.size() >= static_cast<std::size_t>(size)) return -1;
    folder.copy(buffer, folder.size());
    buffer[folder.size()] = u'\0';
    return static_cast<int>(folder.size());
}
