#pragma once

#include "platform/DirectoryReader.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace vorin {

// The base of the test readers that wrap another reader and change one or two
// of its answers: everything not overridden is asked of the inner reader.
class ForwardingDirectoryReader : public DirectoryReader
{
public:
    explicit ForwardingDirectoryReader(std::unique_ptr<DirectoryReader> inner)
        : m_inner(std::move(inner))
    {}
    OpenStatus openRoot(const std::string &path, Handle &out) override
    {
        return m_inner->openRoot(path, out);
    }
    OpenStatus openChild(Handle parent, std::string_view name, Handle &out) override
    {
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

protected:
    [[nodiscard]] DirectoryReader &inner() const { return *m_inner; }

private:
    std::unique_ptr<DirectoryReader> m_inner;
};

} // namespace vorin
