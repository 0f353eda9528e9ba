// Delimited records as spreadsheets write them (RFC 4180), fed as text comes:
// line ends made one, the separator found from the first lines, quoted fields
// that hold separators, doubled quotes and line breaks.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace imports {

// A record longer than this is cut: no real row comes near it.
constexpr std::size_t kRecordLimit = 64 * 1024;

// Every line end to one '\n': LF, CRLF, CR and LF-CR, the first line end
// settling whether LF-CR is one line end or two.
class LineEnds {
public:
    void Normalize(std::string_view text, std::string& out);

private:
    char partner_ = '\0'; // what would complete the last line end, dropped if it comes next
    bool settled_ = false;
    bool lfCr_ = false;
};

// ',', ';' or '\t', whichever lies outside quotes on most lines of `sample`
// (normalized text); '\0' when none does.
char ChooseSeparator(std::string_view sample);

struct Record {
    std::size_t line = 0; // where it begins, from 1
    std::span<const std::string> fields;
    bool tooWide = false; // cut at kRecordLimit
};

class RecordSplitter {
public:
    using Sink = std::function<void(const Record&)>;

    // '\0' for a single column.
    explicit RecordSplitter(char separator);

    // Normalized text; `done` gets every record it completes.
    void Feed(std::string_view text, const Sink& done);
    void Finish(const Sink& done);

private:
    enum class State : std::uint8_t { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    void EndField();
    void EndRecord(const Sink& done);
    void Append(char c);

    char separator_;
    State state_ = State::FieldStart;
    std::vector<std::string> fields_; // reused from record to record
    std::size_t fieldCount_ = 0;
    std::size_t size_ = 0;
    bool started_ = false;   // the record has a character
    bool blankSoFar_ = true; // the field holds only spaces yet
    std::size_t line_ = 1;
    std::size_t recordLine_ = 1;
};

} // namespace imports
