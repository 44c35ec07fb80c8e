#pragma once

#include "platform/FileTypeRegistry.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vorin {

// A file-type register that holds what a test puts in it. Extensions are
// looked up without regard to ASCII case, as a desktop's register does;
// class names are looked up as written.
class FakeFileTypeRegistry final : public FileTypeRegistry
{
public:
    // Registers ext (".doc") as className, and the class's description when
    // one is given.
    void add(std::string_view ext, std::string_view className, std::string_view description = {})
    {
        m_classes[lower(ext)] = std::string(className);
        if (!description.empty())
            m_descriptions[std::string(className)] = std::string(description);
    }
    void setDescription(std::string_view className, std::string_view description)
    {
        m_descriptions[std::string(className)] = std::string(description);
    }

    [[nodiscard]] std::string className(std::string_view ext) const override
    {
        const auto found = m_classes.find(lower(ext));
        return found != m_classes.end() ? found->second : std::string();
    }
    [[nodiscard]] std::string classDescription(std::string_view className) const override
    {
        const auto found = m_descriptions.find(className);
        return found != m_descriptions.end() ? found->second : std::string();
    }
    [[nodiscard]] std::vector<std::string> registeredExtensions() const override
    {
        std::vector<std::string> result;
        for (const auto &entry : m_classes)
            result.push_back(entry.first);
        return result;
    }

private:
    static std::string lower(std::string_view text)
    {
        std::string result(text);
        std::transform(result.begin(), result.end(), result.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
        return result;
    }

    std::map<std::string, std::string, std::less<>> m_classes;
    std::map<std::string, std::string, std::less<>> m_descriptions;
};

} // namespace vorin
