// An XML tokenizer fed in chunks of any size, down to one byte. It hands out
// the start and end tags with their attributes and steps over everything
// else: text, comments, CDATA, processing instructions and a DOCTYPE with its
// internal subset. It holds only the tag it is reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace imports {

struct XmlAttribute {
    std::string name;
    std::string value; // entity and character references replaced
};

struct XmlTag {
    bool isEnd = false;
    bool selfClosing = false;
    bool cut = false; // longer than kTokenCap: the attributes past it are dropped
    std::string_view name;
    std::span<const XmlAttribute> attributes;
    std::size_t line = 1; // where the tag begins

    std::optional<std::string_view> Attribute(std::string_view attributeName) const;
};

class XmlTokens {
public:
    // The bytes that Next reads until it returns nothing; they must stay alive until then.
    void Feed(std::span<const std::uint8_t> chunk);
    // A tag, valid until the next call.
    std::optional<XmlTag> Next();

private:
    enum class State : std::uint8_t {
        Text,
        TagOpen, // after <
        Bang,    // after <!
        Comment,
        CData,
        Instruction,
        Declaration, // <!DOCTYPE ...> and its [internal subset]
        DeclarationComment,
        StartName,
        EndName,
        EndTail,
        BetweenAttributes,
        AttributeName,
        AfterAttributeName,
        BeforeValue,
        Value,
        Reference, // after & in a value
        SelfClosing,
        Broken, // a tag that cannot be read: skipped to its >
    };

    void SkipText();
    bool ReadValueRun(); // whether it read anything
    bool Step(std::uint8_t byte);
    bool StepDeclaration(std::uint8_t byte);
    bool StepAttributes(std::uint8_t byte);
    void StartAttribute();
    void EndReference();
    void Store(std::string* into, std::string_view bytes);
    // Where the attribute being read goes: nowhere once the tag is cut.
    std::string* CurrentName() { return current_ ? &current_->name : nullptr; }
    std::string* CurrentValue() { return current_ ? &current_->value : nullptr; }
    void Emit(bool isEnd, bool selfClosing);

    std::span<const std::uint8_t> input_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    State state_ = State::Text;

    // Markup being stepped over: the bytes after <!, the dashes or brackets
    // that may close it, the quote and bracket depth of a DOCTYPE.
    std::string bang_;
    int closers_ = 0;
    char quote_ = 0;
    int depth_ = 0;
    std::size_t commentOpenerAt_ = 0;

    std::string name_;
    std::vector<XmlAttribute> attributes_; // the first attributeCount_ are this tag's
    std::size_t attributeCount_ = 0;
    XmlAttribute* current_ = nullptr; // none once the tag is cut
    std::size_t tagBytes_ = 0;
    bool cut_ = false;
    std::string reference_;
    std::size_t tagLine_ = 1;

    bool ready_ = false;
    XmlTag tag_;
};

} // namespace imports
