#pragma once

#include <string>
#include <string_view>

namespace vorin {

// Small file helpers the Linux adapters share.

// The user's home directory: $HOME when it is an absolute path, else the
// password database's; empty when neither says.
[[nodiscard]] std::string homeDirectory();

// Writes all of text to fd, going on after interrupted and partial writes;
// 0 when all of it went, else the errno of the write that failed.
[[nodiscard]] int writeAll(int fd, std::string_view text);

} // namespace vorin
