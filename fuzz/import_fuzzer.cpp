// tessaro-fuzz: the libFuzzer program of the import target (import_target.cpp); its
// mutator hooks are in mutator_hooks.cpp. libFuzzer supplies main.
//
//     tessaro-fuzz -dict=fuzz/tessaro.dict -jobs=1 corpus-copy/ fuzz/corpus/
#include <cstddef>
#include <cstdint>

#include "fuzz/import_target.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TessaroFuzz::prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TessaroFuzz::abortOnBrokenPromise("tessaro-fuzz", TessaroFuzz::importOnce(data, size));
    return 0;
}
