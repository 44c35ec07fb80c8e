#pragma once

// The statistics window's tabs, in the order its notebook shows them; for the
// window's own units.

namespace vorin {

inline constexpr int kSpacePage = 0;
inline constexpr int kTypesPage = 1;
inline constexpr int kSizesPage = 2;
inline constexpr int kOverhangPage = 3;
inline constexpr int kAccessPage = 4;
inline constexpr int kCreatedPage = 5;
inline constexpr int kModifiedPage = 6;
inline constexpr int kCombinedPage = 7;
inline constexpr int kAttributePage = 8;
inline constexpr int kTimePage = 9;
inline constexpr int kHistoryPage = 10;

} // namespace vorin
