// Feeds arbitrary bytes to the JSON reader of app exports, whole and in
// chunks (see ImportAppFuzzer.h for what must hold).
#include "ImportAppFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    importfuzz::CheckReader(imports::MakeJsonReader, std::span(bytes, size));
    return 0;
}
