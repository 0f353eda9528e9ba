#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/JsonTokens.h"
#include "import/XmlTokens.h"

namespace {

using namespace imports;

std::span<const std::uint8_t> Span(const std::string& text) {
    return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// The tokens, one byte at a time, written compactly: {, }, [, ], k:key,
// s:string, n:number, t, f, z (null), E (error), a line number after @ where
// it is not 1, "cut" for a string too long to keep.
std::string JsonTokensOf(const std::string& text) {
    JsonTokens tokens;
    std::string out;
    const auto take = [&] {
        while (const auto token = tokens.Next()) {
            static const char* const kNames[] = {
                "{", "}", "[", "]", "k:", "s:", "n:", "t", "f", "z", "E"};
            out += kNames[static_cast<int>(token->kind)];
            out += token->cut ? "cut" : std::string(token->text);
            out += token->line > 1 ? "@" + std::to_string(token->line) : "";
            out += ' ';
        }
    };
    for (std::size_t at = 0; at < text.size(); ++at) {
        tokens.Feed(Span(text).subspan(at, 1));
        take();
    }
    tokens.Finish();
    take();
    return out;
}

std::string Repeat(std::string_view text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

TEST(ImportTokensTest, JsonTokensWhateverTheChunks) {
    const std::string longString = "\"" + std::string(kTokenCap + 1, 'x') + "\"";
    const struct {
        const char* name;
        std::string text;
        std::string tokens;
    } cases[] = {
        {"nesting and scalars", R"({"a":[1,-2.5e+3,true,false,null],"b":{}})",
         "{ k:a [ n:1 n:-2.5e+3 t f z ] k:b { } } "},
        {"a number ends the input", "12.5e-3", "n:12.5e-3 "},
        {"escapes", R"(["\"\\\/\b\f\n\r\t"])", "[ s:\"\\/\b\f\n\r\t ] "},
        {"unicode escapes and a surrogate pair", R"(["\u00e9\u20AC\ud83c\udf38"])",
         "[ s:\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8C\xB8 ] "},
        {"lone surrogates become U+FFFD", R"(["\ud800x","\udc00","\ud800\ud800\udc00"])",
         "[ s:\xEF\xBF\xBDx s:\xEF\xBF\xBD s:\xEF\xBF\xBD\xF0\x90\x80\x80 ] "},
        {"a byte-order mark and lines", "\xEF\xBB\xBF[\n\"a\",\r\n{\"b\"\n:2}]",
         "[ s:a@2 {@3 k:b@3 n:2@4 }@4 ]@4 "},
        {"a string too long to keep", "[" + longString + ",\"y\"]", "[ s:cut s:y ] "},
        {"64 levels deep", std::string(64, '[') + std::string(64, ']'),
         Repeat("[ ", 64) + Repeat("] ", 64)},
        {"65 levels deep", std::string(65, '['), Repeat("[ ", 64) + "E "},
        {"a missing colon", R"({"a" 1})", "{ k:a E "},
        {"a bad literal", "[nul]", "[ E "},
        {"a bad escape", R"(["\x"])", "[ E "},
        {"a bracket that does not match", "[1}", "[ n:1 E "},
        {"a string never closed", "[\"abc", "[ E "},
        {"text after the value", "{} x", "{ } E "},
        {"nothing at all", "", "E "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JsonTokensOf(c.text), c.tokens);
    }
}

// The tags, one byte at a time: <name a=v>, <name/>, </name>, a line number
// after @ where it is not 1, "cut" for a tag too long to keep.
std::string XmlTagsOf(const std::string& text) {
    XmlTokens tokens;
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        tokens.Feed(Span(text).subspan(at, 1));
        while (const auto tag = tokens.Next()) {
            out += tag->isEnd ? "</" : "<";
            out += tag->name;
            for (const XmlAttribute& attribute : tag->attributes) {
                out += " " + attribute.name + "=" + attribute.value;
            }
            out += tag->selfClosing ? "/>" : ">";
            out += tag->cut ? "cut" : "";
            out += tag->line > 1 ? "@" + std::to_string(tag->line) : "";
        }
    }
    return out;
}

TEST(ImportTokensTest, XmlTagsWhateverTheChunks) {
    const std::string longValue(kTokenCap, 'v');
    const struct {
        const char* name;
        std::string text;
        std::string tags;
    } cases[] = {
        {"both quotes and spaces", "<a b=\"1\" c = '2'\n d='x\"y'>t</a >",
         "<a b=1 c=2 d=x\"y></a>@2"},
        {"self-closing", "<a/><b />", "<a/><b/>"},
        {"references", "<a v=\"&amp;&lt;&gt;&quot;&apos;&#233;&#x20AC;&#X1F338;\"/>",
         "<a v=&<>\"'\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8C\xB8/>"},
        {"references XML does not know stay as written", "<a v=\"&nbsp; & x &#xZZ; &#99999999;\"/>",
         "<a v=&nbsp; & x &#xZZ; \xEF\xBF\xBD/>"},
        {"comments, CDATA and instructions hide tags",
         "<?xml version=\"1.0\"?><!-- <b/> -- --><![CDATA[<c/>]]]><?pi <d/>?><e/>", "<e/>"},
        {"a DOCTYPE with an internal subset",
         "<!DOCTYPE H [\n<!-- it's ]> -->\n<!ATTLIST R n CDATA \"]>\">\n]>\n<H/>", "<H/>@5"},
        {"a DOCTYPE without one", "<!DOCTYPE html SYSTEM 'a>b'><p/>", "<p/>"},
        {"an attribute with no value", "<a b c=\"1\" d/>", "<a b= c=1 d=/>"},
        {"an unquoted value drops the tag", "<a b=1><c/>", "<c/>"},
        {"a stray < in text", "x < y <z/>", "<z/>"},
        {"lines count where tags begin", "\n<a\nb=\"\n\"/>\n\n<c/>", "<a b=\n/>@2<c/>@6"},
        {"a tag too long keeps what came before",
         "<a b=\"1\" c=\"" + longValue + "\" d=\"2\"/><e/>", "<a b=1/>cut<e/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(XmlTagsOf(c.text), c.tags);
    }
}

} // namespace
