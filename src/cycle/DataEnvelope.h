// What stands between her data and the bytes of the data file and the copies
// kept beside it (temporary, ".bak", ".unsaved", ".declined"): it turns the
// data into those bytes and back, and tells a whole file from a damaged one.
// Whatever inspects those files asks the envelope, never the bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

class CalendarData;

class DataEnvelope {
public:
    enum class Opened {
        Opened,  // the data now holds the file's marks and settings
        Locked,  // whole, but cannot be opened without a key she holds
        Damaged, // not a file Lunabel wrote, or broken off
    };

    virtual ~DataEnvelope() = default;

    virtual std::vector<std::uint8_t> Seal(const CalendarData& data) const = 0;
    // Replaces the marks of `data` with the file's and applies its settings.
    virtual Opened Open(std::span<const std::uint8_t> bytes, CalendarData& data) const = 0;
    // Whether the bytes are a whole file exactly as Seal writes them: a write
    // cut short may leave bytes that still open.
    virtual bool IsWhole(std::span<const std::uint8_t> bytes) const = 0;
};

// The data file as it has always been: the codec's bytes as they are.
class PlainEnvelope : public DataEnvelope {
public:
    static const PlainEnvelope& Shared();

    std::vector<std::uint8_t> Seal(const CalendarData& data) const override;
    Opened Open(std::span<const std::uint8_t> bytes, CalendarData& data) const override;
    bool IsWhole(std::span<const std::uint8_t> bytes) const override;
};
