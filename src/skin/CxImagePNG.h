// PNG decoding over libpng.
#pragma once

#include "skin/DibImage.h"

#include <string>

// Decodes one PNG from `file` into `out` as 24 bits per pixel, with an alpha
// plane when the file has transparency. On failure `error` holds libpng's (or
// our) reason and `out` may be half filled: decode into a scratch image.
bool DecodePng(CxFile& file, DibImage& out, std::string& error);

class CxImagePNG : public DibImage {
public:
    using DibImage::Decode;
    bool Decode(CxFile& file) { return Decode(file, kFormatPng); }
};
