#pragma once

namespace vorin {

// The application's name on the task bar, its icon and the font faces the
// windows ask for. Call once, after the QApplication exists and before the
// first window is built.
void prepareApplication();

} // namespace vorin
