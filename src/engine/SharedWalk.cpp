#include "engine/SharedWalk.h"

#include "platform/DirectoryReader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

namespace vorin {

namespace {

// A record: the file's facts, then its directory and its name, each with its
// length first. Plain bytes in this machine's order: every part of a walk
// runs the same program on the same kind of machine.
struct LinkedFacts
{
    std::uint64_t device;
    std::uint64_t inode;
    std::uint32_t attributes;
    std::uint32_t links;
    std::int64_t size;
    std::int64_t creation;
    std::int64_t lastAccess;
    std::int64_t lastWrite;
};

template <typename T> void put(std::string &out, const T &value)
{
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

template <typename T> T take(std::string_view &in)
{
    if (in.size() < sizeof(T))
        throw std::runtime_error("a record of a file of several names is cut short");
    T value;
    std::memcpy(&value, in.data(), sizeof value);
    in.remove_prefix(sizeof value);
    return value;
}

std::string_view takeText(std::string_view &in)
{
    const auto length = take<std::uint32_t>(in);
    if (in.size() < length)
        throw std::runtime_error("a record of a file of several names is cut short");
    const std::string_view text = in.substr(0, length);
    in.remove_prefix(length);
    return text;
}

struct LinkedName
{
    LinkedFacts facts;
    std::string_view directory;
    std::string_view name;
};

} // namespace

SharedWalkPart::SharedWalkPart(const DirectoryReader &reader, const CrunchContext &context,
                               std::function<bool()> wanted,
                               std::function<void(std::string)> handOver)
    : m_reader(reader), m_context(context), m_wanted(std::move(wanted)),
      m_handOver(std::move(handOver))
{}

void SharedWalkPart::walkDirectory(const std::string &path)
{
    WalkOptions options;
    options.elsewhere = this;
    const WalkResult result =
        walkTree(m_reader, path, m_context, m_stats, m_progress, m_abort, options);
    // It was entered by the rules when it was found; gone or closed to us
    // since, it is as unreadable as a directory a single walk cannot open.
    m_unreadable += result.unreadableDirectories + (result.rootOpened ? 0 : 1);
}

void SharedWalkPart::linkedFile(std::string_view directory, const DirectoryEntry &entry)
{
    put(m_linked, LinkedFacts{entry.identity.device, entry.identity.inode, entry.attributes,
                              entry.links, entry.size, entry.creation.seconds,
                              entry.lastAccess.seconds, entry.lastWrite.seconds});
    put(m_linked, static_cast<std::uint32_t>(directory.size()));
    m_linked.append(directory);
    put(m_linked, static_cast<std::uint32_t>(entry.name.size()));
    m_linked.append(entry.name);
}

std::int64_t settleLinkedFiles(const std::vector<std::string> &records,
                               const CrunchContext &context, Statistics &stats)
{
    // By file, the name first in path order: the same name counts whichever
    // part met it first.
    std::map<std::pair<std::uint64_t, std::uint64_t>, LinkedName> first;
    std::int64_t names = 0;
    for (const std::string &record : records) {
        std::string_view in = record;
        while (!in.empty()) {
            LinkedName linked;
            linked.facts = take<LinkedFacts>(in);
            linked.directory = takeText(in);
            linked.name = takeText(in);
            ++names;
            const auto key = std::pair(linked.facts.device, linked.facts.inode);
            const auto [at, added] = first.emplace(key, linked);
            const auto path = [](const LinkedName &n) { return std::pair(n.directory, n.name); };
            if (!added && path(linked) < path(at->second))
                at->second = linked;
        }
    }
    for (const auto &[key, linked] : first) {
        DirectoryEntry entry;
        entry.name = linked.name;
        entry.attributes = linked.facts.attributes;
        entry.size = linked.facts.size;
        entry.creation.seconds = linked.facts.creation;
        entry.lastAccess.seconds = linked.facts.lastAccess;
        entry.lastWrite.seconds = linked.facts.lastWrite;
        entry.links = linked.facts.links;
        entry.identity = {linked.facts.device, linked.facts.inode};
        crunchNumbers(stats, context, linked.directory, entry);
        ++stats.filesProcessed;
    }
    return names - static_cast<std::int64_t>(first.size());
}

} // namespace vorin
