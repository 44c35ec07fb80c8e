#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorin::json {

// One JSON value as read: what the program's reports hold, read back. Keeps
// everything in plain members (a report is a few thousand values at most),
// members of an object in the order written.
class Value
{
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    [[nodiscard]] Kind kind() const { return m_kind; }
    [[nodiscard]] bool isNumber() const { return m_kind == Kind::Number; }
    [[nodiscard]] bool isString() const { return m_kind == Kind::String; }
    [[nodiscard]] bool isArray() const { return m_kind == Kind::Array; }
    [[nodiscard]] bool isObject() const { return m_kind == Kind::Object; }

    [[nodiscard]] bool boolean() const { return m_boolean; }
    [[nodiscard]] double number() const { return m_number; }
    // A number written without fraction or exponent that fits 64 bits.
    [[nodiscard]] std::optional<std::int64_t> integer() const { return m_integer; }
    // The bytes of a string; \u00XX stands for the byte XX, as the reports
    // write bytes that are no UTF-8 (and control characters).
    [[nodiscard]] const std::string &text() const { return m_text; }
    [[nodiscard]] const std::vector<Value> &items() const { return m_items; }
    [[nodiscard]] const std::vector<std::string> &keys() const { return m_keys; }
    // An object's member, the first of that name; nullptr when there is none
    // or this is no object.
    [[nodiscard]] const Value *find(std::string_view key) const;

private:
    friend class Parser;

    Kind m_kind = Kind::Null;
    bool m_boolean = false;
    double m_number = 0.0;
    std::optional<std::int64_t> m_integer;
    std::string m_text;
    std::vector<Value> m_items;      // an array's items, an object's values
    std::vector<std::string> m_keys; // an object's names, one per value
};

// Text that is not one JSON value: what was wrong and where (a byte offset).
// `truncated`: the text ended where more was needed, as a file cut short does.
class ParseError : public std::runtime_error
{
public:
    ParseError(const std::string &what, std::size_t offset, bool truncated)
        : std::runtime_error(what), m_offset(offset), m_truncated(truncated)
    {}
    [[nodiscard]] std::size_t offset() const { return m_offset; }
    [[nodiscard]] bool truncated() const { return m_truncated; }

private:
    std::size_t m_offset;
    bool m_truncated;
};

// The one value the text holds (white space around it allowed); arrays and
// objects nest at most 64 deep. Throws ParseError.
[[nodiscard]] Value parse(std::string_view text);

} // namespace vorin::json
