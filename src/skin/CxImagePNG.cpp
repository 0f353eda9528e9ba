#include "skin/CxImagePNG.h"

#include "skin/CxFile.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

namespace {

// Shared with the libpng callbacks. Plain data only: libpng leaves through
// longjmp, which runs no destructors.
struct ReadState {
    CxFile* file;
    png_bytep rows;
    char error[DibImage::kMaxErrorLength + 1];
};

void ReadCallback(png_structp png, png_bytep data, size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (state->file->Read(data, 1, length) != length) {
        png_error(png, "Read Error");
    }
}

void ErrorCallback(png_structp png, png_const_charp message) {
    auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
    std::strncpy(state->error, message ? message : "", sizeof state->error - 1);
    state->error[sizeof state->error - 1] = '\0';
    png_longjmp(png, 1);
}

// Warnings (a bad ancillary chunk, an odd gAMA) change nothing.
void WarningCallback(png_structp, png_const_charp) {}

void StoreRow(DibImage& out, int storedRow, png_const_bytep row, int channels) {
    const int width = out.Width();
    std::uint8_t* pixels = out.Row(storedRow);
    for (int x = 0; x < width; ++x, row += channels, pixels += 3) {
        pixels[0] = row[2];
        pixels[1] = row[1];
        pixels[2] = row[0];
    }
    if (channels == 4) {
        std::uint8_t* alpha = out.AlphaBits() + static_cast<std::size_t>(storedRow) * width;
        row -= static_cast<std::size_t>(width) * 4;
        for (int x = 0; x < width; ++x) {
            alpha[x] = row[4 * x + 3];
        }
    }
}

// Holds no object with a destructor: libpng's errors longjmp back into it.
bool ReadPng(ReadState& state, DibImage& out) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, ErrorCallback, WarningCallback);
    if (!png) {
        std::strcpy(state.error, "png_create_read_struct failed");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::strcpy(state.error, "png_create_info_struct failed");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(state.rows);
        state.rows = nullptr;
        return false;
    }

    png_set_read_fn(png, &state, ReadCallback);
    png_read_info(png, info);
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);

    // Everything becomes 8-bit RGB or RGBA. No gamma correction and no
    // background: samples are taken as stored.
    if (bitDepth == 16) {
        png_set_strip_16(png);
    }
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    if (png_get_bit_depth(png, info) != 8 || (channels != 3 && channels != 4) ||
        rowBytes < static_cast<size_t>(width) * static_cast<size_t>(channels)) {
        png_error(png, "Unsupported PNG format");
    }

    if (!out.Create(width, height, 24) || (channels == 4 && !out.CreateAlpha())) {
        png_error(png, out.LastError().c_str());
    }
    // Interlaced pictures arrive in passes over the whole picture; the others
    // one row at a time. Create has bounded width x height.
    const size_t bufferRows = passes > 1 ? height : 1;
    state.rows = static_cast<png_bytep>(std::malloc(rowBytes * bufferRows));
    if (!state.rows) {
        png_error(png, "CxImage::Create can't allocate memory");
    }
    const int rows = static_cast<int>(height);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < rows; ++y) {
            png_bytep row =
                passes > 1 ? state.rows + static_cast<size_t>(y) * rowBytes : state.rows;
            png_read_row(png, row, nullptr);
            if (passes == 1) {
                StoreRow(out, rows - 1 - y, row, channels);
            }
        }
    }
    if (passes > 1) {
        for (int y = 0; y < rows; ++y) {
            StoreRow(out, rows - 1 - y, state.rows + static_cast<size_t>(y) * rowBytes, channels);
        }
    }
    // Reads up to IEND, so a file cut short anywhere is refused.
    png_read_end(png, nullptr);

    png_destroy_read_struct(&png, &info, nullptr);
    std::free(state.rows);
    state.rows = nullptr;
    return true;
}

} // namespace

bool DecodePng(CxFile& file, DibImage& out, std::string& error) {
    ReadState state{&file, nullptr, {}};
    if (!ReadPng(state, out)) {
        error = state.error;
        return false;
    }
    error.clear();
    return true;
}
