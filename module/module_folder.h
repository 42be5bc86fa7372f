// The folder of the module's own file, recorded when the system loads the module.
#pragma once

#include <string>

namespace Tessaro {

// The folder with its trailing separator; empty when the system did not tell.
std::u16string moduleFolder();

}  // namespace Tessaro
