// tessaro-fuzz: the libFuzzer program. libFuzzer supplies main; the target's two entry
// points live in import_target.cpp.
//
//     tessaro-fuzz -dict=fuzz/tessaro.dict -jobs=1 corpus-copy/ fuzz/corpus/
