#include "import/Records.h"

#include <array>

namespace imports {

void LineEnds::Normalize(std::string_view text, std::string& out) {
    while (!text.empty()) {
        if (partner_ != '\0') {
            const bool completes = text.front() == partner_;
            if (!settled_) {
                settled_ = true;
                lfCr_ = completes && partner_ == '\r';
            }
            partner_ = '\0';
            if (completes) {
                text.remove_prefix(1);
                continue;
            }
        }
        const std::size_t end = text.find_first_of("\r\n");
        out.append(text.substr(0, end));
        if (end == std::string_view::npos) {
            return;
        }
        out += '\n';
        // CR-LF is always one line end; LF-CR only in a file that begins so.
        partner_ = text[end] == '\r' ? '\n' : (!settled_ || lfCr_ ? '\r' : '\0');
        text.remove_prefix(end + 1);
    }
}

char ChooseSeparator(std::string_view sample) {
    constexpr std::array<char, 3> kCandidates = {'\t', ';', ','}; // preferred first on a tie
    std::array<std::size_t, 3> lines = {};
    std::array<bool, 3> onLine = {};
    bool quoted = false;
    for (std::size_t i = 0; i <= sample.size(); ++i) {
        const char c = i < sample.size() ? sample[i] : '\n';
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\n' && (!quoted || i == sample.size())) {
            for (std::size_t k = 0; k < kCandidates.size(); ++k) {
                lines[k] += onLine[k] ? 1 : 0;
                onLine[k] = false;
            }
        } else if (!quoted) {
            for (std::size_t k = 0; k < kCandidates.size(); ++k) {
                onLine[k] = onLine[k] || c == kCandidates[k];
            }
        }
    }
    std::size_t best = 0;
    for (std::size_t k = 1; k < kCandidates.size(); ++k) {
        if (lines[k] > lines[best]) {
            best = k;
        }
    }
    return lines[best] > 0 ? kCandidates[best] : '\0';
}

RecordSplitter::RecordSplitter(char separator) : separator_(separator), fields_(1) {}

void RecordSplitter::Append(char c) {
    ++size_;
    if (size_ <= kRecordLimit) {
        fields_[fieldCount_] += c;
    }
}

void RecordSplitter::EndField() {
    ++size_;
    if (size_ > kRecordLimit) {
        return; // the record is cut: its last field takes nothing more
    }
    ++fieldCount_;
    if (fields_.size() <= fieldCount_) {
        fields_.emplace_back();
    }
    fields_[fieldCount_].clear();
    blankSoFar_ = true;
}

void RecordSplitter::EndRecord(const Sink& done) {
    done(Record{recordLine_, std::span(fields_.data(), fieldCount_ + 1), size_ > kRecordLimit});
    fieldCount_ = 0;
    fields_[0].clear();
    size_ = 0;
    started_ = false;
    blankSoFar_ = true;
    state_ = State::FieldStart;
    recordLine_ = line_;
}

void RecordSplitter::Feed(std::string_view text, const Sink& done) {
    for (const char c : text) {
        if (state_ == State::Quoted) {
            if (c == '"') {
                state_ = State::QuoteInQuoted;
                continue;
            }
            line_ += c == '\n' ? 1 : 0;
            Append(c);
            continue;
        }
        if (state_ == State::QuoteInQuoted && c == '"') {
            Append('"');
            state_ = State::Quoted;
            continue;
        }
        // Outside quotes, or just after a closing one.
        started_ = true;
        if (c == '"' && blankSoFar_) {
            // Spaces before an opening quote are no part of the field.
            size_ -= fields_[fieldCount_].size();
            fields_[fieldCount_].clear();
            blankSoFar_ = false;
            state_ = State::Quoted;
        } else if (c == separator_) {
            EndField();
            state_ = State::FieldStart;
        } else if (c == '\n') {
            ++line_;
            EndRecord(done);
        } else {
            Append(c);
            blankSoFar_ = blankSoFar_ && (c == ' ' || c == '\t');
            state_ = State::Unquoted;
        }
    }
}

void RecordSplitter::Finish(const Sink& done) {
    if (started_ || state_ != State::FieldStart) {
        EndRecord(done);
    }
}

} // namespace imports
