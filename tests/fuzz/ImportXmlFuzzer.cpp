// Feeds arbitrary bytes to the reader of Health's export.xml and to the zip
// reader around it, whole and in chunks (see ImportAppFuzzer.h for what must
// hold). The seeds hold both XML and zips.
#include "ImportAppFuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    importfuzz::CheckReader(imports::MakeHealthXmlReader, std::span(bytes, size));
    importfuzz::CheckReader(imports::MakeZipReader, std::span(bytes, size));
    return 0;
}
