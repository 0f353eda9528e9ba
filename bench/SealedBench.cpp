// A calendar behind a password: what she waits for at an unlock with the
// iteration count calibrated here, a save of 100,000 marks sealed and plain,
// and the sealed file's size. Prints "label|figure" rows for bench.sh.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "crypto/KeyRing.h"
#include "cycle/CalendarData.h"
#include "cycle/DataStore.h"
#include "cycle/SealedEnvelope.h"
#include "files/Files.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename Work> double MedianMs(int rounds, Work work) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

CalendarData Marks(int count) {
    std::vector<DateKey> keys;
    for (int i = 0; i < count; ++i) {
        keys.push_back(MakeDateKey(1900 + i / 300, 1 + (i / 25) % 12, 1 + i % 25));
    }
    CalendarData data;
    data.SetMarks(std::move(keys));
    return data;
}

std::span<const std::uint8_t> Utf8(const char* text) {
    return {reinterpret_cast<const std::uint8_t*>(text), std::char_traits<char>::length(text)};
}

void Row(const std::string& label, const std::string& figure) {
    std::printf("%s|%s\n", label.c_str(), figure.c_str());
}

std::string Ms(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f ms", ms);
    return text;
}

} // namespace

int main() {
    const std::uint32_t iterations = keyring::CalibrateIterations();
    std::optional<keyring::Protection> protection = keyring::Create(Utf8("Moon7abc"), iterations);
    if (!protection) {
        std::fprintf(stderr, "the system's cryptography failed\n");
        return 1;
    }
    const std::vector<std::uint8_t> header = protection->key.header;
    const double unlock =
        MedianMs(5, [&] { keyring::UnlockWithPassword(header, Utf8("Moon7abc")); });
    Row("unlock at the calibrated count (" + std::to_string(iterations) + " iterations)",
        Ms(unlock));

    const std::wstring folder = files::TemporaryFolder() + L"LunabelSealedBench";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const SealedEnvelope sealed(std::move(protection->key));
    const CalendarData many = Marks(100000);
    struct Case {
        const char* name;
        const DataEnvelope& envelope;
    } cases[] = {{"plain", PlainEnvelope::Shared()}, {"sealed", sealed}};
    for (const Case& c : cases) {
        DataStore store(folder + L"\\Lunabel.data", c.envelope);
        CalendarData loaded;
        store.Load(loaded);
        const double save = MedianMs(11, [&] { store.Save(many); });
        Row(std::string("save 100,000 marks, ") + c.name + " (seal and atomic write)", Ms(save));
    }
    for (const int count : {1, 100000}) {
        Row("size of a sealed data file with " +
                std::string(count == 1 ? "1 mark" : "100,000 marks"),
            std::to_string(sealed.Seal(Marks(count)).size()) + " bytes");
    }
    for (const files::FoundFile& found : files::FindStartingWith(folder + L"\\Lunabel.data")) {
        files::Remove(found.path);
    }
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
