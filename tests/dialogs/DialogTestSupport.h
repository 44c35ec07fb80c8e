#pragma once

#include "widgets/PickList.h"

#include <QAbstractButton>
#include <QTest>
#include <QWidget>

namespace vorin::test {

// A control of a dialog by its name; fails the test when it is missing.
template <typename Control> Control *control(const QWidget &dialog, const char *name)
{
    auto *found = dialog.findChild<Control *>(QString::fromLatin1(name));
    if (!found)
        qWarning("no control named %s", name);
    return found;
}

// A left click on a row of a pick list, with modifiers.
inline void clickRow(PickList &list, int row, Qt::KeyboardModifiers modifiers = {})
{
    list.scrollToRow(row);
    const QRect rect = list.rowRect(row);
    QVERIFY2(!rect.isNull(), "row out of view");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, rect.center());
}

inline void doubleClickRow(PickList &list, int row, Qt::KeyboardModifiers modifiers = {})
{
    list.scrollToRow(row);
    const QRect rect = list.rowRect(row);
    QVERIFY2(!rect.isNull(), "row out of view");
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, modifiers, rect.center());
}

} // namespace vorin::test
