// A JSON tokenizer fed in chunks of any size, down to one byte. It hands out
// one token at a time and holds only the token it is reading, so a file of any
// length takes the same memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "import/TokenText.h"

namespace imports {

// Deeper nesting is an error: no export nests more than a few levels.
constexpr std::size_t kJsonDepthLimit = 64;

enum class JsonKind : std::uint8_t {
    ObjectBegin,
    ObjectEnd,
    ArrayBegin,
    ArrayEnd,
    Key,
    String,
    Number,
    True,
    False,
    Null,
    Error, // handed out once; nothing follows
};

struct JsonToken {
    JsonKind kind = JsonKind::Error;
    std::string_view text; // a key, a string (unescaped, UTF-8) or a number; valid until Next
    bool cut = false;      // longer than kTokenCap: the text is empty
    std::size_t line = 1;  // where the token begins
};

class JsonTokens {
public:
    // The bytes that Next reads until it returns nothing; they must stay alive until then.
    void Feed(std::span<const std::uint8_t> chunk);
    // No more bytes: a number at the very end is complete, an open string an error.
    void Finish();
    std::optional<JsonToken> Next();

private:
    enum class State : std::uint8_t {
        Value,
        ValueOrEnd, // after [
        KeyOrEnd,   // after {
        Key,        // after a comma in an object
        Colon,
        CommaOrEnd,
        String,
        Escape,
        Unicode,
        Number,
        Literal,
        End, // after the top-level value
        Failed,
    };

    // Whether the byte was used; a number ends at a byte that belongs to what follows.
    bool Step(std::uint8_t byte);
    bool StepString(std::uint8_t byte);
    bool StepEscape(std::uint8_t byte);
    bool StepUnicode(std::uint8_t byte);
    bool StartValue(std::uint8_t byte);
    bool Open(char container, JsonKind kind);
    bool Close(char container, JsonKind kind);
    void Emit(JsonKind kind);
    void EmitText(JsonKind kind);
    void AfterValue();
    void Fail();
    void Append(std::string_view bytes);
    void AppendCodePoint(std::uint32_t code);

    std::span<const std::uint8_t> input_;
    std::size_t at_ = 0;
    bool finished_ = false;
    std::uint64_t offset_ = 0; // bytes read, to skip a byte-order mark at the start
    std::size_t line_ = 1;

    State state_ = State::Value;
    std::vector<char> containers_;
    std::string text_;
    bool cut_ = false;
    bool stringIsKey_ = false;
    std::size_t tokenLine_ = 1;
    std::uint32_t code_ = 0;
    int hexDigits_ = 0;
    std::uint32_t highSurrogate_ = 0;
    std::string_view literal_;
    std::size_t literalAt_ = 0;
    JsonKind literalKind_ = JsonKind::Null;

    std::optional<JsonToken> ready_;
};

} // namespace imports
