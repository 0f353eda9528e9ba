// Period-tracking apps' JSON exports. Each object in a list is an entry, judged
// when it closes by its own fields (those of an object inside it flattened as
// "value.option") and by the keys of the lists it sits in: a list of periods,
// of spotting, or of days whose type or flow field tells.
#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/AppExports.h"
#include "import/DateText.h"
#include "import/DayList.h"
#include "import/DayTally.h"
#include "import/FlowWords.h"
#include "import/JsonTokens.h"

namespace imports {
namespace {

// Names compare lowercase without separators: startDate, start_date and
// "Start Date" are one name.
std::string NameOf(std::string_view key) {
    constexpr std::size_t kLongestName = 32; // longer names are none of ours
    std::string name;
    for (const char c : key) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.') {
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (name.size() > kLongestName) {
            return {};
        }
    }
    return name;
}

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// In order of preference.
constexpr std::array<std::string_view, 7> kDateNames = {
    "date", "day", "startdate", "periodstartdate", "start", "periodstart", "firstday"};
constexpr std::array<std::string_view, 5> kEndNames = {"enddate", "periodenddate", "end",
                                                       "periodend", "lastday"};
constexpr std::array<std::string_view, 4> kTypeNames = {"type", "category", "event", "eventtype"};
// A field that is itself about bleeding, whatever else the entry says.
constexpr std::array<std::string_view, 5> kFlowNames = {"flow", "period", "menstrualflow",
                                                        "bleeding", "menstruation"};
// Where an entry that is a period says how heavy it was.
constexpr std::array<std::string_view, 9> kAmountNames = {
    "flow",      "period",       "menstrualflow", "bleeding", "menstruation",
    "intensity", "value.option", "value",         "option"};
constexpr std::array<std::string_view, 2> kExcludeNames = {"exclude", "excluded"};

// Lists whose entries are all period days, or all spotting, by their whole
// key: "period_predictions" is none of them.
constexpr std::array<std::string_view, 9> kPeriodLists = {
    "period",     "periods",      "cycles",        "bleeding", "bleedings",
    "perioddays", "menstruation", "menstruations", "menses"};
constexpr std::array<std::string_view, 2> kSpottingLists = {"spotting", "spottings"};

bool IsKeptName(std::string_view name) {
    return IsOneOf(name, kDateNames) || IsOneOf(name, kEndNames) || IsOneOf(name, kTypeNames) ||
           IsOneOf(name, kAmountNames) || IsOneOf(name, kExcludeNames);
}

std::int64_t DayOf(DateKey key) {
    return DayNumber(KeyYear(key), KeyMonth(key), KeyDay(key));
}

DateKey NextDay(DateKey key) {
    const int year = KeyYear(key);
    const int month = KeyMonth(key);
    const int day = KeyDay(key);
    if (day < DaysInMonth(year, month)) {
        return MakeDateKey(year, month, day + 1);
    }
    return month < 12 ? MakeDateKey(year, month + 1, 1) : MakeDateKey(year + 1, 1, 1);
}

struct Field {
    std::string name;
    std::string value;
    bool cut = false;
};

// An object in a list, its fields kept as they stream by.
struct Entry {
    std::size_t line = 0;
    std::vector<Field> fields; // only the names IsKeptName knows, each once

    const Field* Find(std::string_view name) const {
        for (const Field& field : fields) {
            if (field.name == name) {
                return &field;
            }
        }
        return nullptr;
    }

    template <std::size_t N>
    const Field* FirstOf(const std::array<std::string_view, N>& names) const {
        for (const std::string_view name : names) {
            if (const Field* field = Find(name)) {
                return field;
            }
        }
        return nullptr;
    }

    void Set(std::string name, std::string_view value, bool cut) {
        // No date, type or flow word is longer: nested entries keep little.
        constexpr std::size_t kLongestValue = 256;
        if (value.size() > kLongestValue) {
            value = {};
            cut = true;
        }
        for (Field& field : fields) {
            if (field.name == name) {
                field.value.assign(value);
                field.cut = cut;
                return;
            }
        }
        fields.push_back({std::move(name), std::string(value), cut});
    }
};

enum class ListKind : std::uint8_t { Periods, Spotting, Days };

class JsonReader final : public FormatReader {
public:
    explicit JsonReader(const ReadOptions& options) : tally_(options.today) {}

    void Feed(std::span<const std::uint8_t> chunk) override {
        tokens_.Feed(chunk);
        Drain();
    }

    ImportRead Finish() override {
        tokens_.Finish();
        Drain();
        return tally_.Finish(FileShape::Json);
    }

private:
    // A list or an object being read.
    struct Frame {
        bool isList = false;
        std::string key; // the key it sits under in an object; empty in a list
        // 0: an entry; 1: an object field of an entry, its scalars flattened
        // into the entry; none: anything else.
        std::optional<int> entryLevel;
    };

    void Drain() {
        while (const auto token = tokens_.Next()) {
            Take(*token);
        }
    }

    void Take(const JsonToken& token) {
        switch (token.kind) {
        case JsonKind::Key:
            key_ = NameOf(token.text);
            return;
        case JsonKind::ObjectBegin:
        case JsonKind::ArrayBegin:
            Open(token);
            return;
        case JsonKind::ObjectEnd:
            if (frames_.back().entryLevel == 0) {
                Judge(entries_.back());
                entries_.pop_back();
            }
            frames_.pop_back();
            return;
        case JsonKind::ArrayEnd:
            frames_.pop_back();
            return;
        case JsonKind::String:
        case JsonKind::Number:
            KeepScalar(token.text, token.cut);
            return;
        case JsonKind::True:
            KeepScalar("true", false);
            return;
        case JsonKind::False:
            KeepScalar("false", false);
            return;
        default: // null says nothing; an error ends the reading
            return;
        }
    }

    void Open(const JsonToken& token) {
        Frame frame;
        frame.isList = token.kind == JsonKind::ArrayBegin;
        const Frame* parent = frames_.empty() ? nullptr : &frames_.back();
        if (parent && !parent->isList) {
            frame.key = key_;
        }
        if (!frame.isList && parent) {
            if (parent->isList) {
                frame.entryLevel = 0;
                entries_.push_back({token.line, {}});
            } else if (parent->entryLevel == 0) {
                frame.entryLevel = 1;
            }
        }
        frames_.push_back(std::move(frame));
    }

    void KeepScalar(std::string_view value, bool cut) {
        if (frames_.empty()) {
            return;
        }
        const Frame& frame = frames_.back();
        if (!frame.entryLevel) {
            return;
        }
        std::string name = *frame.entryLevel == 0 ? key_ : frame.key + "." + key_;
        if (IsKeptName(name)) {
            entries_.back().Set(std::move(name), value, cut);
        }
    }

    // The keys of the lists and objects around the entry being closed, up to
    // the entry that holds it if any: the nearest that names periods or
    // spotting says what the list is.
    ListKind KindOfList() const {
        for (auto frame = frames_.rbegin() + 1; frame != frames_.rend(); ++frame) {
            if (frame->entryLevel) {
                break;
            }
            if (IsOneOf(frame->key, kPeriodLists)) {
                return ListKind::Periods;
            }
            if (IsOneOf(frame->key, kSpottingLists)) {
                return ListKind::Spotting;
            }
        }
        return ListKind::Days;
    }

    // What the entry says about its day: a flow, or nothing when it is about
    // something else.
    std::optional<Flow> FlowOf(const Entry& entry) const {
        switch (KindOfList()) {
        case ListKind::Periods:
            return AmountOf(entry);
        case ListKind::Spotting:
            return Flow::Spotting;
        case ListKind::Days:
            break;
        }
        if (const Field* type = entry.FirstOf(kTypeNames)) {
            switch (ReadEventKind(type->value)) {
            case EventKind::Period:
                return AmountOf(entry);
            case EventKind::Spotting:
                return Flow::Spotting;
            case EventKind::Other:
                return std::nullopt;
            }
        }
        if (const Field* flow = entry.FirstOf(kFlowNames)) {
            return ReadFlowValue(flow->value);
        }
        return std::nullopt;
    }

    static Flow AmountOf(const Entry& entry) {
        const Field* amount = entry.FirstOf(kAmountNames);
        return amount ? ReadFlowValue(amount->value) : Flow::Bleeding;
    }

    void Judge(const Entry& entry) {
        const Field* date = entry.FirstOf(kDateNames);
        const bool hasDate = date && (date->cut || !date->value.empty());
        const auto flow = FlowOf(entry);
        if (!flow) {
            if (hasDate) {
                tally_.LeaveOut(entry.line, LeftOut::OtherEvent);
            }
            return;
        }
        if (!hasDate) {
            tally_.LeaveOut(entry.line, LeftOut::NoDate);
            return;
        }
        const Field* exclude = entry.FirstOf(kExcludeNames);
        if (exclude && ReadYes(exclude->value)) {
            tally_.LeaveOut(entry.line, LeftOut::Excluded);
            return;
        }
        const auto start = date->cut ? std::nullopt : ReadIsoDate(date->value);
        if (!start) {
            tally_.LeaveOut(entry.line, LeftOut::BadDate);
            return;
        }
        const Field* endField = entry.FirstOf(kEndNames);
        if (!endField || (!endField->cut && endField->value.empty())) {
            tally_.AddDay(*start, *flow, entry.line);
            return;
        }
        const auto end = endField->cut ? std::nullopt : ReadIsoDate(endField->value);
        if (!end || *end < *start) {
            tally_.LeaveOut(entry.line, LeftOut::BadDate);
            return;
        }
        if (DayOf(*end) - DayOf(*start) > kLongestPeriodSpan) {
            tally_.LeaveOut(entry.line, LeftOut::TooLong);
            return;
        }
        // A period still under way may end in the future: its days up to today count.
        if (!tally_.AddDay(*start, *flow, entry.line)) {
            return;
        }
        for (DateKey day = NextDay(*start); day <= *end && !tally_.IsAfterToday(day);
             day = NextDay(day)) {
            tally_.AddDay(day, *flow, entry.line);
        }
    }

    JsonTokens tokens_;
    DayTally tally_;
    std::string key_; // the last key read, as NameOf gives it
    std::vector<Frame> frames_;
    std::vector<Entry> entries_; // one per frame at entry level 0
};

} // namespace

std::unique_ptr<FormatReader> MakeJsonReader(const ReadOptions& options) {
    return std::make_unique<JsonReader>(options);
}

} // namespace imports
