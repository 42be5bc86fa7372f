// tessaro-fuzz-export: the libFuzzer program of the export target (export_target.cpp); its
// mutator hooks are in mutator_hooks.cpp. libFuzzer supplies main.
//
//     tessaro-fuzz-export -dict=fuzz/tessaro.dict -jobs=1 corpus-copy/ fuzz/corpus/
#include <cstddef>
#include <cstdint>

#include "fuzz/export_target.h"
#include "fuzz/import_target.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TessaroFuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TessaroFuzz::abortOnBrokenPromise("tessaro-fuzz-export", TessaroFuzz::exportOnce(data, size));
    return 0;
}
