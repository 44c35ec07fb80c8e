#pragma once

#include <QString>
#include <string>
#include <string_view>

class QColor;
class QWidget;

namespace vorin {

// The core speaks UTF-8; these carry its texts to Qt and back.
[[nodiscard]] inline QString toQt(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

[[nodiscard]] inline std::string toUtf8(const QString &text)
{
    return text.toStdString();
}

// Draws the widget's own text (a label's, say) in `color`; the rest of its
// palette stays as it is.
void setTextColor(QWidget &widget, const QColor &color);

// Puts a top-level window in the middle of the screen it is about to appear
// on (its parent's, else the primary one).
void centreOnScreen(QWidget &window);

// The hourglass for as long as it lives, given back however the work ends.
class HourglassCursor
{
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor &) = delete;
    HourglassCursor &operator=(const HourglassCursor &) = delete;
};

} // namespace vorin
