#pragma once

// Files as a scan keeps them, for the tests of the list window and its
// model, and the clock and locale those tests read their times in.

#include "engine/FigureFiles.h"
#include "support/Utility.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <string>

namespace vorin::testing {

// Seconds since 1970 of a UTC date and time.
inline std::int64_t utc(int year, int month, int day, int hours, int minutes)
{
    return QDateTime(QDate(year, month, day), QTime(hours, minutes), Qt::UTC).toSecsSinceEpoch();
}

inline KeptFile keptFile(std::string folder, std::string name, std::int64_t size,
                         std::int64_t modified = FileTime::kNotRecorded,
                         std::uint32_t attributes = 0)
{
    KeptFile file;
    file.folder = std::move(folder);
    file.name = std::move(name);
    file.facts.size = size;
    file.facts.attributes = attributes;
    file.modified = FileTime{modified};
    return file;
}

// Central European time, with its summer time, written out so that no
// time-zone database is needed; and German number and date formats.
inline void useGermanClockAndLocale()
{
    qputenv("TZ", QByteArrayLiteral("CET-1CEST,M3.5.0,M10.5.0/3"));
    tzset();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
}

inline const LocaleSeparators kUs{",", "."};
inline const LocaleSeparators kGerman{".", ","};

} // namespace vorin::testing
