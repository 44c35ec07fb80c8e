#pragma once

#include "platform/DirectoryReader.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace vorin {

// A reader that refuses to open the directories of one name, as a file system
// does for a directory without read permission: it lets tests make unreadable
// directories also when they run as root, for whom permissions mean nothing.
class RefusingDirectoryReader final : public DirectoryReader
{
public:
    RefusingDirectoryReader(std::unique_ptr<DirectoryReader> inner, std::string refused)
        : m_inner(std::move(inner)), m_refused(std::move(refused))
    {}
    OpenStatus openRoot(const std::string &path, Handle &out) override
    {
        return m_inner->openRoot(path, out);
    }
    OpenStatus openChild(Handle parent, std::string_view name, Handle &out) override
    {
        if (name == m_refused)
            return OpenStatus::Unreadable;
        return m_inner->openChild(parent, name, out);
    }
    void close(Handle dir) override { m_inner->close(dir); }
    ListStatus list(Handle dir, NameBatch &batch) override { return m_inner->list(dir, batch); }
    bool rewind(Handle dir) override { return m_inner->rewind(dir); }
    Described describe(Handle dir, std::string_view name, DirectoryEntry &entry) override
    {
        return m_inner->describe(dir, name, entry);
    }
    std::uint32_t directoryAttributes(Handle dir, std::string_view name) override
    {
        return m_inner->directoryAttributes(dir, name);
    }
    bool identify(Handle dir, FileIdentity &out) override { return m_inner->identify(dir, out); }
    std::size_t handleLimit() const override { return m_inner->handleLimit(); }
    std::unique_ptr<DirectoryReader> clone() const override
    {
        return std::make_unique<RefusingDirectoryReader>(m_inner->clone(), m_refused);
    }

private:
    std::unique_ptr<DirectoryReader> m_inner;
    std::string m_refused;
};

} // namespace vorin
