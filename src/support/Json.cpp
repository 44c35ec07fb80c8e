#include "support/Json.h"

#include <charconv>
#include <cmath>

namespace vorin::json {

const Value *Value::find(std::string_view key) const
{
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key)
            return &m_items[i];
    }
    return nullptr;
}

namespace {

constexpr int kMaxDepth = 64;

void appendUtf8(std::string &out, std::uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

} // namespace

class Parser
{
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    Value document()
    {
        Value value = parseValue(0);
        skipSpace();
        if (m_at != m_text.size())
            fail("more text after the value");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string &what) const
    {
        throw ParseError(what + " at byte " + std::to_string(m_at), m_at, m_at >= m_text.size());
    }

    void skipSpace()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }

    char next()
    {
        if (m_at >= m_text.size())
            fail("the text ends early");
        return m_text[m_at];
    }

    void expectWord(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word) {
            if (word.substr(0, m_text.size() - m_at) == m_text.substr(m_at))
                m_at = m_text.size(); // cut short inside the word
            fail("not a JSON value");
        }
        m_at += word.size();
    }

    Value parseValue(int depth)
    {
        skipSpace();
        Value value;
        switch (next()) {
        case '{':
            parseObject(value, depth + 1);
            break;
        case '[':
            parseArray(value, depth + 1);
            break;
        case '"':
            value.m_kind = Value::Kind::String;
            value.m_text = parseString();
            break;
        case 't':
            expectWord("true");
            value.m_kind = Value::Kind::Bool;
            value.m_boolean = true;
            break;
        case 'f':
            expectWord("false");
            value.m_kind = Value::Kind::Bool;
            break;
        case 'n':
            expectWord("null");
            break;
        default:
            parseNumber(value);
            break;
        }
        return value;
    }

    void parseObject(Value &value, int depth)
    {
        if (depth > kMaxDepth)
            fail("values nested too deep");
        value.m_kind = Value::Kind::Object;
        ++m_at;
        skipSpace();
        if (next() == '}') {
            ++m_at;
            return;
        }
        for (;;) {
            skipSpace();
            if (next() != '"')
                fail("a member name expected");
            value.m_keys.push_back(parseString());
            skipSpace();
            if (next() != ':')
                fail("':' expected");
            ++m_at;
            value.m_items.push_back(parseValue(depth));
            skipSpace();
            const char c = next();
            ++m_at;
            if (c == '}')
                return;
            if (c != ',')
                fail("',' or '}' expected");
        }
    }

    void parseArray(Value &value, int depth)
    {
        if (depth > kMaxDepth)
            fail("values nested too deep");
        value.m_kind = Value::Kind::Array;
        ++m_at;
        skipSpace();
        if (next() == ']') {
            ++m_at;
            return;
        }
        for (;;) {
            value.m_items.push_back(parseValue(depth));
            skipSpace();
            const char c = next();
            ++m_at;
            if (c == ']')
                return;
            if (c != ',')
                fail("',' or ']' expected");
        }
    }

    std::uint32_t hex4()
    {
        std::uint32_t code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = next();
            ++m_at;
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= std::uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= std::uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= std::uint32_t(c - 'A' + 10);
            else
                fail("a bad \\u escape");
        }
        return code;
    }

    std::string parseString()
    {
        ++m_at; // the opening quote
        std::string out;
        for (;;) {
            const char c = next();
            ++m_at;
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                fail("a control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            const char escape = next();
            ++m_at;
            switch (escape) {
            case '"':
            case '\\':
            case '/':
                out += escape;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t code = hex4();
                if (code < 0x100) {
                    out += char(code); // a byte, as the reports write them
                    break;
                }
                if (code >= 0xD800 && code < 0xDC00) {
                    if (next() != '\\')
                        fail("a lone surrogate");
                    ++m_at;
                    if (next() != 'u')
                        fail("a lone surrogate");
                    ++m_at;
                    const std::uint32_t low = hex4();
                    if (low < 0xDC00 || low >= 0xE000)
                        fail("a lone surrogate");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                } else if (code >= 0xDC00 && code < 0xE000) {
                    fail("a lone surrogate");
                }
                appendUtf8(out, code);
                break;
            }
            default:
                fail("a bad escape");
            }
        }
    }

    void parseNumber(Value &value)
    {
        const std::size_t start = m_at;
        bool integral = true;
        if (m_at < m_text.size() && m_text[m_at] == '-')
            ++m_at;
        const auto digits = [this] {
            const std::size_t from = m_at;
            while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9')
                ++m_at;
            if (m_at == from)
                fail(m_at < m_text.size() ? "not a JSON value" : "the text ends early");
        };
        digits();
        if (m_at < m_text.size() && m_text[m_at] == '.') {
            ++m_at;
            digits();
            integral = false;
        }
        if (m_at < m_text.size() && (m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            ++m_at;
            if (m_at < m_text.size() && (m_text[m_at] == '+' || m_text[m_at] == '-'))
                ++m_at;
            digits();
            integral = false;
        }
        const char *first = m_text.data() + start;
        const char *last = m_text.data() + m_at;
        value.m_kind = Value::Kind::Number;
        // from_chars, not strtod: a number reads the same in every locale.
        if (std::from_chars(first, last, value.m_number).ec != std::errc() ||
            !std::isfinite(value.m_number)) {
            m_at = start;
            fail("a number out of range");
        }
        std::int64_t whole = 0;
        if (integral && std::from_chars(first, last, whole).ec == std::errc())
            value.m_integer = whole;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

Value parse(std::string_view text)
{
    return Parser(text).document();
}

} // namespace vorin::json
