#include "import/XmlTokens.h"

#include <algorithm>
#include <cstring>

#include "import/TokenText.h"

namespace imports {
namespace {

bool IsSpace(std::uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

bool IsReferenceByte(std::uint8_t byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') ||
           (byte >= 'A' && byte <= 'Z') || byte == '#';
}

constexpr std::size_t kLongestReference = 10; // #x10FFFF and a little more

// The text a reference stands for, or nothing for one XML does not define.
std::optional<std::string> ReferencedText(std::string_view reference) {
    if (reference == "amp") {
        return "&";
    }
    if (reference == "lt") {
        return "<";
    }
    if (reference == "gt") {
        return ">";
    }
    if (reference == "quot") {
        return "\"";
    }
    if (reference == "apos") {
        return "'";
    }
    if (reference.size() < 2 || reference[0] != '#') {
        return std::nullopt;
    }
    const bool hex = reference[1] == 'x' || reference[1] == 'X';
    const std::string_view digits = reference.substr(hex ? 2 : 1);
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t code = 0;
    for (const char digit : digits) {
        int value = -1;
        if (digit >= '0' && digit <= '9') {
            value = digit - '0';
        } else if (hex && digit >= 'a' && digit <= 'f') {
            value = digit - 'a' + 10;
        } else if (hex && digit >= 'A' && digit <= 'F') {
            value = digit - 'A' + 10;
        }
        if (value < 0) {
            return std::nullopt;
        }
        code = code * (hex ? 16 : 10) + static_cast<std::uint64_t>(value);
    }
    return code > 0x10FFFF ? Utf8Of(0xFFFD) : Utf8Of(static_cast<std::uint32_t>(code));
}

} // namespace

std::optional<std::string_view> XmlTag::Attribute(std::string_view attributeName) const {
    const auto found = std::find_if(attributes.begin(), attributes.end(),
                                    [&](const XmlAttribute& a) { return a.name == attributeName; });
    if (found == attributes.end()) {
        return std::nullopt;
    }
    return found->value;
}

void XmlTokens::Feed(std::span<const std::uint8_t> chunk) {
    input_ = chunk;
    at_ = 0;
}

std::optional<XmlTag> XmlTokens::Next() {
    while (!ready_ && at_ < input_.size()) {
        if (state_ == State::Text) {
            SkipText();
            continue;
        }
        if (state_ == State::Value && ReadValueRun()) {
            continue;
        }
        const std::uint8_t byte = input_[at_];
        if (Step(byte)) {
            ++at_;
            line_ += byte == '\n';
        }
    }
    if (!ready_) {
        return std::nullopt;
    }
    ready_ = false;
    return tag_;
}

// Text is most of what is not a tag: skipped at memchr's pace.
void XmlTokens::SkipText() {
    const std::uint8_t* from = input_.data() + at_;
    const std::size_t left = input_.size() - at_;
    const auto* open = static_cast<const std::uint8_t*>(std::memchr(from, '<', left));
    const std::uint8_t* end = open ? open : from + left;
    line_ += static_cast<std::size_t>(std::count(from, end, '\n'));
    at_ += static_cast<std::size_t>(end - from);
    if (open) {
        ++at_;
        tagLine_ = line_;
        state_ = State::TagOpen;
    }
}

// The plain bytes of an attribute value, up to its quote or a reference,
// stored at once: values are most of a Health export's bytes.
bool XmlTokens::ReadValueRun() {
    const std::uint8_t* from = input_.data() + at_;
    const std::uint8_t* end =
        std::find_if(from, input_.data() + input_.size(), [&](std::uint8_t byte) {
            return byte == static_cast<std::uint8_t>(quote_) || byte == '&';
        });
    if (end == from) {
        return false;
    }
    line_ += static_cast<std::size_t>(std::count(from, end, '\n'));
    Store(CurrentValue(),
          {reinterpret_cast<const char*>(from), static_cast<std::size_t>(end - from)});
    at_ += static_cast<std::size_t>(end - from);
    return true;
}

bool XmlTokens::Step(std::uint8_t byte) {
    switch (state_) {
    case State::TagOpen:
        name_.clear();
        attributeCount_ = 0;
        current_ = nullptr;
        tagBytes_ = 0;
        cut_ = false;
        if (byte == '/') {
            state_ = State::EndName;
        } else if (byte == '!') {
            bang_.clear();
            state_ = State::Bang;
        } else if (byte == '?') {
            closers_ = 0;
            state_ = State::Instruction;
        } else if (IsSpace(byte) || byte == '<' || byte == '>') {
            state_ = State::Text; // a stray <
            return false;
        } else {
            Store(&name_, {reinterpret_cast<const char*>(&byte), 1});
            state_ = State::StartName;
        }
        return true;
    case State::Bang: {
        bang_ += static_cast<char>(byte);
        constexpr std::string_view comment = "--";
        constexpr std::string_view cdata = "[CDATA[";
        closers_ = 0;
        if (bang_ == comment) {
            state_ = State::Comment;
        } else if (bang_ == cdata) {
            state_ = State::CData;
        } else if (!comment.starts_with(bang_) && !cdata.starts_with(bang_)) {
            quote_ = 0;
            depth_ = 0;
            commentOpenerAt_ = 0;
            state_ = State::Declaration;
            return StepDeclaration(byte);
        }
        return true;
    }
    case State::Comment:
    case State::DeclarationComment:
    case State::CData: {
        const std::uint8_t closer = state_ == State::CData ? ']' : '-';
        if (byte == '>' && closers_ >= 2) {
            state_ = state_ == State::DeclarationComment ? State::Declaration : State::Text;
        }
        closers_ = byte == closer ? closers_ + 1 : 0;
        return true;
    }
    case State::Instruction:
        if (byte == '>' && closers_ == 1) {
            state_ = State::Text;
        }
        closers_ = byte == '?' ? 1 : 0;
        return true;
    case State::Declaration:
        return StepDeclaration(byte);
    case State::StartName:
    case State::EndName:
        if (byte == '>') {
            Emit(state_ == State::EndName, false);
        } else if (IsSpace(byte)) {
            state_ = state_ == State::EndName ? State::EndTail : State::BetweenAttributes;
        } else if (byte == '/' && state_ == State::StartName) {
            state_ = State::SelfClosing;
        } else {
            Store(&name_, {reinterpret_cast<const char*>(&byte), 1});
        }
        return true;
    case State::EndTail:
        if (byte == '>') {
            Emit(true, false);
        }
        return true;
    case State::Broken:
        if (byte == '>') {
            state_ = State::Text;
        }
        return true;
    default:
        return StepAttributes(byte);
    }
}

bool XmlTokens::StepDeclaration(std::uint8_t byte) {
    if (quote_ != 0) {
        if (byte == static_cast<std::uint8_t>(quote_)) {
            quote_ = 0;
        }
        return true;
    }
    if (depth_ > 0) {
        // A comment in the internal subset may hold quotes and brackets.
        constexpr std::string_view opener = "<!--";
        if (byte == static_cast<std::uint8_t>(opener[commentOpenerAt_])) {
            if (++commentOpenerAt_ == opener.size()) {
                commentOpenerAt_ = 0;
                closers_ = 0;
                state_ = State::DeclarationComment;
                return true;
            }
        } else {
            commentOpenerAt_ = byte == '<' ? 1 : 0;
        }
    }
    if (byte == '"' || byte == '\'') {
        quote_ = static_cast<char>(byte);
    } else if (byte == '[') {
        ++depth_;
    } else if (byte == ']' && depth_ > 0) {
        --depth_;
    } else if (byte == '>' && depth_ == 0) {
        state_ = State::Text;
    }
    return true;
}

bool XmlTokens::StepAttributes(std::uint8_t byte) {
    const std::string_view text(reinterpret_cast<const char*>(&byte), 1);
    switch (state_) {
    case State::BetweenAttributes:
        if (byte == '/') {
            state_ = State::SelfClosing;
        } else if (byte == '>') {
            Emit(false, false);
        } else if (!IsSpace(byte)) {
            StartAttribute();
            Store(CurrentName(), text);
            state_ = State::AttributeName;
        }
        return true;
    case State::AttributeName:
        if (byte == '=') {
            state_ = State::BeforeValue;
        } else if (IsSpace(byte)) {
            state_ = State::AfterAttributeName;
        } else if (byte == '>' || byte == '/') {
            state_ = State::BetweenAttributes; // an attribute with no value
            return false;
        } else {
            Store(CurrentName(), text);
        }
        return true;
    case State::AfterAttributeName:
        if (byte == '=') {
            state_ = State::BeforeValue;
        } else if (!IsSpace(byte)) {
            state_ = State::BetweenAttributes;
            return false;
        }
        return true;
    case State::BeforeValue:
        if (byte == '"' || byte == '\'') {
            quote_ = static_cast<char>(byte);
            state_ = State::Value;
        } else if (!IsSpace(byte)) {
            state_ = State::Broken; // an unquoted value
            return false;
        }
        return true;
    case State::Value:
        if (byte == static_cast<std::uint8_t>(quote_)) {
            state_ = State::BetweenAttributes;
        } else if (byte == '&') {
            reference_.clear();
            state_ = State::Reference;
        } else {
            Store(CurrentValue(), text);
        }
        return true;
    case State::Reference:
        if (byte == ';') {
            EndReference();
            return true;
        }
        if (IsReferenceByte(byte) && reference_.size() < kLongestReference) {
            reference_ += static_cast<char>(byte);
            return true;
        }
        Store(CurrentValue(), "&" + reference_);
        state_ = State::Value;
        return false;
    default: // SelfClosing
        if (byte == '>') {
            Emit(false, true);
            return true;
        }
        state_ = State::BetweenAttributes;
        return false;
    }
}

void XmlTokens::StartAttribute() {
    if (cut_) {
        return;
    }
    if (attributeCount_ == attributes_.size()) {
        attributes_.emplace_back();
    }
    current_ = &attributes_[attributeCount_++];
    current_->name.clear();
    current_->value.clear();
}

void XmlTokens::EndReference() {
    const auto text = ReferencedText(reference_);
    Store(CurrentValue(), text ? *text : "&" + reference_ + ";");
    state_ = State::Value;
}

// Past the cap the tag keeps what it has whole: a name is emptied, the
// attribute being read is dropped, and nothing more is kept.
void XmlTokens::Store(std::string* into, std::string_view bytes) {
    if (cut_ || into == nullptr) {
        return;
    }
    tagBytes_ += bytes.size();
    if (tagBytes_ <= kTokenCap) {
        into->append(bytes);
        return;
    }
    cut_ = true;
    if (into == &name_) {
        name_.clear();
    } else {
        --attributeCount_;
        current_ = nullptr;
    }
}

void XmlTokens::Emit(bool isEnd, bool selfClosing) {
    tag_ = XmlTag{isEnd,   selfClosing, cut_, name_, std::span(attributes_.data(), attributeCount_),
                  tagLine_};
    ready_ = true;
    state_ = State::Text;
}

} // namespace imports
