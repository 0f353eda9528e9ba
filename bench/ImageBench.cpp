// The pictures of the start-up: the main view's background and one button
// picture decoded from their PNG files, as the program does from its resources.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "skin/CxFile.h"
#include "skin/DibImage.h"

namespace {

std::vector<char> ReadPicture(const char* name) {
    std::ifstream in(std::string(LUNABEL_SOURCE_DIR "/res/images/") + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void DecodePicture(benchmark::State& state, const char* name) {
    const std::vector<char> bytes = ReadPicture(name);
    for (auto _ : state) {
        CxMemFile file(bytes.data(), bytes.size());
        DibImage image;
        if (!image.Decode(file, DibImage::kFormatPng)) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image.Dib());
    }
}

} // namespace

BENCHMARK_CAPTURE(DecodePicture, Background, "app-bg.png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodePicture, Button, "btn_settings.png")->Unit(benchmark::kMicrosecond);
