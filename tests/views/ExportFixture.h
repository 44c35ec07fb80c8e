#pragma once

// What the copy and CSV tests of the pages share: a "Save as CSV…" that
// answers without a dialog, and a look at the clipboard and at saved files.

#include "SaveChooserStub.h"
#include "views/TableExport.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QString>
#include <QStringList>

namespace vorin::testing {

// The table tests' name for the shared stub.
using CsvChooserStub = SaveChooserStub;

inline QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

// Puts a marker on the clipboard, so that a copy is seen to replace it.
inline void markClipboard()
{
    QGuiApplication::clipboard()->setText(QStringLiteral("(nothing copied)"));
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

inline QStringList captions(const QMenu &menu)
{
    QStringList texts;
    for (const QAction *action : menu.actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// Lines joined as the clipboard text has them: tabs between cells, "\n" after
// every line.
inline QString tsvLines(const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &line : lines)
        text += line.join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

// Records as a CSV file has them when no cell needs quotes.
inline QByteArray csvLines(const QList<QStringList> &lines)
{
    QString text;
    for (const QStringList &line : lines)
        text += line.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    return text.toUtf8();
}

} // namespace vorin::testing
