#pragma once

#include "platform/fake/ForwardingDirectoryReader.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace vorin {

// A reader that refuses to open the directories of one name, as a file system
// does for a directory without read permission: it lets tests make unreadable
// directories also when they run as root, for whom permissions mean nothing.
class RefusingDirectoryReader final : public ForwardingDirectoryReader
{
public:
    RefusingDirectoryReader(std::unique_ptr<DirectoryReader> inner, std::string refused)
        : ForwardingDirectoryReader(std::move(inner)), m_refused(std::move(refused))
    {}
    OpenStatus openChild(Handle parent, std::string_view name, Handle &out) override
    {
        if (name == m_refused)
            return OpenStatus::Unreadable;
        return ForwardingDirectoryReader::openChild(parent, name, out);
    }
    std::unique_ptr<DirectoryReader> clone() const override
    {
        return std::make_unique<RefusingDirectoryReader>(inner().clone(), m_refused);
    }

private:
    std::string m_refused;
};

} // namespace vorin
