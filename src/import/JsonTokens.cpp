#include "import/JsonTokens.h"

#include <utility>

namespace imports {
namespace {

bool IsSpace(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

bool IsDigit(std::uint8_t byte) {
    return byte >= '0' && byte <= '9';
}

// Loose on purpose: the reader only ever compares a number's text.
bool IsNumberByte(std::uint8_t byte) {
    return IsDigit(byte) || byte == '-' || byte == '+' || byte == '.' || byte == 'e' || byte == 'E';
}

int HexValue(std::uint8_t byte) {
    if (IsDigit(byte)) {
        return byte - '0';
    }
    if (byte >= 'a' && byte <= 'f') {
        return byte - 'a' + 10;
    }
    if (byte >= 'A' && byte <= 'F') {
        return byte - 'A' + 10;
    }
    return -1;
}

constexpr std::uint8_t kByteOrderMark[] = {0xEF, 0xBB, 0xBF};
constexpr std::uint32_t kReplacement = 0xFFFD;

} // namespace

void JsonTokens::Feed(std::span<const std::uint8_t> chunk) {
    input_ = chunk;
    at_ = 0;
}

void JsonTokens::Finish() {
    input_ = {};
    at_ = 0;
    finished_ = true;
}

std::optional<JsonToken> JsonTokens::Next() {
    while (!ready_ && at_ < input_.size()) {
        if (state_ == State::Failed) {
            at_ = input_.size();
            break;
        }
        const std::uint8_t byte = input_[at_];
        if (Step(byte)) {
            ++at_;
            ++offset_;
            line_ += byte == '\n';
        }
    }
    if (!ready_ && finished_ && at_ == input_.size()) {
        if (state_ == State::Number) {
            EmitText(JsonKind::Number);
            AfterValue();
        } else if (state_ != State::End && state_ != State::Failed) {
            Fail();
        }
    }
    return std::exchange(ready_, std::nullopt);
}

bool JsonTokens::Step(std::uint8_t byte) {
    switch (state_) {
    case State::String:
        return StepString(byte);
    case State::Escape:
        return StepEscape(byte);
    case State::Unicode:
        return StepUnicode(byte);
    case State::Number:
        if (IsNumberByte(byte)) {
            const char digit = static_cast<char>(byte);
            Append({&digit, 1});
            return true;
        }
        EmitText(JsonKind::Number);
        AfterValue();
        return false;
    case State::Literal:
        if (byte != static_cast<std::uint8_t>(literal_[literalAt_])) {
            Fail();
        } else if (++literalAt_ == literal_.size()) {
            Emit(literalKind_);
            AfterValue();
        }
        return true;
    default:
        break;
    }
    if (IsSpace(byte)) {
        return true;
    }
    if (offset_ < std::size(kByteOrderMark) && byte == kByteOrderMark[offset_]) {
        return true;
    }
    switch (state_) {
    case State::Value:
        return StartValue(byte);
    case State::ValueOrEnd:
        return byte == ']' ? Close('[', JsonKind::ArrayEnd) : StartValue(byte);
    case State::KeyOrEnd:
        if (byte == '}') {
            return Close('{', JsonKind::ObjectEnd);
        }
        [[fallthrough]];
    case State::Key:
        if (byte != '"') {
            Fail();
            return true;
        }
        tokenLine_ = line_;
        text_.clear();
        cut_ = false;
        stringIsKey_ = true;
        state_ = State::String;
        return true;
    case State::Colon:
        if (byte == ':') {
            state_ = State::Value;
        } else {
            Fail();
        }
        return true;
    case State::CommaOrEnd:
        if (byte == ',') {
            state_ = containers_.back() == '{' ? State::Key : State::Value;
            return true;
        }
        if (byte == ']') {
            return Close('[', JsonKind::ArrayEnd);
        }
        if (byte == '}') {
            return Close('{', JsonKind::ObjectEnd);
        }
        Fail();
        return true;
    default: // End: nothing may follow the top-level value
        Fail();
        return true;
    }
}

bool JsonTokens::StartValue(std::uint8_t byte) {
    tokenLine_ = line_;
    text_.clear();
    cut_ = false;
    switch (byte) {
    case '{':
        return Open('{', JsonKind::ObjectBegin);
    case '[':
        return Open('[', JsonKind::ArrayBegin);
    case '"':
        stringIsKey_ = false;
        state_ = State::String;
        return true;
    case 't':
        literal_ = "true";
        literalKind_ = JsonKind::True;
        break;
    case 'f':
        literal_ = "false";
        literalKind_ = JsonKind::False;
        break;
    case 'n':
        literal_ = "null";
        literalKind_ = JsonKind::Null;
        break;
    default:
        if (byte == '-' || IsDigit(byte)) {
            const char first = static_cast<char>(byte);
            Append({&first, 1});
            state_ = State::Number;
        } else {
            Fail();
        }
        return true;
    }
    literalAt_ = 1;
    state_ = State::Literal;
    return true;
}

bool JsonTokens::StepString(std::uint8_t byte) {
    if (byte == '\\') {
        state_ = State::Escape;
        return true;
    }
    if (highSurrogate_ != 0) {
        AppendCodePoint(kReplacement);
        highSurrogate_ = 0;
    }
    if (byte != '"') {
        const char raw = static_cast<char>(byte);
        Append({&raw, 1});
        return true;
    }
    if (stringIsKey_) {
        EmitText(JsonKind::Key);
        state_ = State::Colon;
    } else {
        EmitText(JsonKind::String);
        AfterValue();
    }
    return true;
}

bool JsonTokens::StepEscape(std::uint8_t byte) {
    if (byte == 'u') {
        code_ = 0;
        hexDigits_ = 0;
        state_ = State::Unicode;
        return true;
    }
    if (highSurrogate_ != 0) {
        AppendCodePoint(kReplacement);
        highSurrogate_ = 0;
    }
    char plain = 0;
    switch (byte) {
    case '"':
    case '\\':
    case '/':
        plain = static_cast<char>(byte);
        break;
    case 'b':
        plain = '\b';
        break;
    case 'f':
        plain = '\f';
        break;
    case 'n':
        plain = '\n';
        break;
    case 'r':
        plain = '\r';
        break;
    case 't':
        plain = '\t';
        break;
    default:
        Fail();
        return true;
    }
    Append({&plain, 1});
    state_ = State::String;
    return true;
}

bool JsonTokens::StepUnicode(std::uint8_t byte) {
    const int value = HexValue(byte);
    if (value < 0) {
        Fail();
        return true;
    }
    code_ = code_ << 4 | static_cast<std::uint32_t>(value);
    if (++hexDigits_ < 4) {
        return true;
    }
    state_ = State::String;
    const bool isHigh = code_ >= 0xD800 && code_ <= 0xDBFF;
    const bool isLow = code_ >= 0xDC00 && code_ <= 0xDFFF;
    if (isLow && highSurrogate_ != 0) {
        AppendCodePoint(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (code_ - 0xDC00));
        highSurrogate_ = 0;
        return true;
    }
    if (highSurrogate_ != 0) {
        AppendCodePoint(kReplacement);
        highSurrogate_ = 0;
    }
    if (isHigh) {
        highSurrogate_ = code_;
    } else {
        AppendCodePoint(isLow ? kReplacement : code_);
    }
    return true;
}

bool JsonTokens::Open(char container, JsonKind kind) {
    if (containers_.size() == kJsonDepthLimit) {
        Fail();
        return true;
    }
    containers_.push_back(container);
    Emit(kind);
    state_ = container == '{' ? State::KeyOrEnd : State::ValueOrEnd;
    return true;
}

bool JsonTokens::Close(char container, JsonKind kind) {
    if (containers_.back() != container) {
        Fail();
        return true;
    }
    containers_.pop_back();
    tokenLine_ = line_;
    Emit(kind);
    AfterValue();
    return true;
}

void JsonTokens::Emit(JsonKind kind) {
    ready_ = JsonToken{kind, {}, false, tokenLine_};
}

void JsonTokens::EmitText(JsonKind kind) {
    ready_ = JsonToken{kind, cut_ ? std::string_view() : std::string_view(text_), cut_, tokenLine_};
}

void JsonTokens::AfterValue() {
    state_ = containers_.empty() ? State::End : State::CommaOrEnd;
}

void JsonTokens::Fail() {
    state_ = State::Failed;
    tokenLine_ = line_;
    Emit(JsonKind::Error);
}

void JsonTokens::Append(std::string_view bytes) {
    if (cut_) {
        return;
    }
    if (text_.size() + bytes.size() > kTokenCap) {
        cut_ = true;
        text_.clear();
        return;
    }
    text_.append(bytes);
}

void JsonTokens::AppendCodePoint(std::uint32_t code) {
    Append(Utf8Of(code));
}

} // namespace imports
