#include "widgets/FontSubstitutes.h"

#include <QFontDatabase>
#include <QStringList>

namespace vorin {

namespace {

void substitute(const QString &family, const QStringList &candidates)
{
    // A machine that has the real face keeps it.
    if (QFontDatabase::hasFamily(family))
        return;
    QStringList present;
    for (const QString &candidate : candidates) {
        if (QFontDatabase::hasFamily(candidate))
            present << candidate;
    }
    if (!present.isEmpty())
        QFont::insertSubstitutions(family, present);
}

} // namespace

void installFontSubstitutes()
{
    const QStringList serif{QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
                            QStringLiteral("DejaVu Serif")};
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                           QStringLiteral("DejaVu Sans")};
    substitute(QStringLiteral("Times New Roman"), serif);
    substitute(QStringLiteral("Arial"), sans);
    substitute(QStringLiteral("MS Sans Serif"), sans);
    substitute(QStringLiteral("Microsoft Sans Serif"), sans);
}

QFont headingFont(int pixelSize)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    return font;
}

QFont dialogFont(int pixelSize)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace vorin
