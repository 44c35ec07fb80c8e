#pragma once

#include "support/DosTime.h"

#include <atomic>
#include <functional>
#include <utility>

namespace vorin {

// A time zone for tests: a constant offset from UTC, or one computed from the
// instant so that a test can put a daylight-saving change where it wants it.
class FixedUtcOffset final : public UtcOffsetSource
{
public:
    using Rule = std::function<std::int32_t(std::int64_t utcSeconds)>;

    explicit FixedUtcOffset(std::int32_t offsetSeconds = 0) : m_offset(offsetSeconds) {}
    explicit FixedUtcOffset(Rule rule) : m_rule(std::move(rule)) {}

    [[nodiscard]] std::int32_t utcOffsetSeconds(std::int64_t utcSeconds) const override
    {
        m_calls.fetch_add(1, std::memory_order_relaxed);
        return m_rule ? m_rule(utcSeconds) : m_offset;
    }

    // How often the zone was asked; a cache in front of it should keep this low.
    [[nodiscard]] long calls() const { return m_calls.load(std::memory_order_relaxed); }

private:
    std::int32_t m_offset = 0;
    Rule m_rule;
    mutable std::atomic<long> m_calls{0};
};

} // namespace vorin
