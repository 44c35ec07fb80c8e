#pragma once

#include "platform/FileTypeRegistry.h"

namespace vorin {

// The file types Windows has registered under HKEY_CLASSES_ROOT, read only:
// the default value of an extension's key (".txt") names its class (the
// ProgID, "txtfile"); the default value of the class's key is its readable
// description ("Text Document"). Every question reads the registry afresh;
// safe to use from several threads at once.
class RegistryFileTypes final : public FileTypeRegistry
{
public:
    [[nodiscard]] std::string className(std::string_view ext) const override;
    [[nodiscard]] std::string classDescription(std::string_view className) const override;
    [[nodiscard]] std::vector<std::string> registeredExtensions() const override;
};

} // namespace vorin
