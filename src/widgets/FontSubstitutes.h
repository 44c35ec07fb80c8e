#pragma once

#include <QFont>

namespace vorin {

// Maps the Windows face names the windows ask for (Times New Roman, Arial,
// MS Sans Serif) onto metric-compatible faces when the originals are not
// installed, so that texts keep their widths. Call once after the
// QApplication exists and before the first window is built; repeated calls
// are harmless.
void installFontSubstitutes();

// The program's heading face: Times New Roman at the given pixel height.
[[nodiscard]] QFont headingFont(int pixelSize);

// The dialogs' body face: MS Sans Serif at the given pixel height.
[[nodiscard]] QFont dialogFont(int pixelSize);

} // namespace vorin
