#pragma once

// The keys that open a context menu without a mouse, and F10 alone, which
// must not: the rows of a data-driven test, with how many menu requests each
// key makes.

#include <QTest>

namespace vorin::testing {

inline void addMenuKeyRows()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("requests");
    QTest::newRow("menu key") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << 1;
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 1;
    QTest::newRow("F10 alone") << int(Qt::Key_F10) << Qt::KeyboardModifiers() << 0;
}

} // namespace vorin::testing
