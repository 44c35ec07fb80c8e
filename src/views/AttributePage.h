#pragma once

#include "views/PageContext.h"

#include <QObject>

namespace vorin {

// The "Attribute" tab: how many counted files are hidden, read-only, system
// or archive, how large they are together, and two share charts. GUI thread.
class AttributePage : public QObject
{
    Q_OBJECT

public:
    AttributePage(QWidget *page, PageContext &context);

    void doFileAttrs();

private:
    PageContext &m_context;
};

} // namespace vorin
