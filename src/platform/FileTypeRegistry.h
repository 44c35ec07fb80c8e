#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorin {

// The system's register of file types, read only. An extension (".doc") names
// a class; the class has a readable description. On POSIX the classes are
// the MIME types of the shared MIME database and the descriptions their comments.
class FileTypeRegistry
{
public:
    virtual ~FileTypeRegistry() = default;
    // The class registered for ext (with its dot); empty when none is.
    [[nodiscard]] virtual std::string className(std::string_view ext) const = 0;
    // The readable description of a class; empty when it has none.
    [[nodiscard]] virtual std::string classDescription(std::string_view className) const = 0;
    // Every registered extension, dot first, in no particular order.
    [[nodiscard]] virtual std::vector<std::string> registeredExtensions() const = 0;
};

} // namespace vorin
