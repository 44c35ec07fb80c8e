#include "views/AttributePage.h"

#include <QWidget>

namespace vorin {

AttributePage::AttributePage(QWidget *page, PageContext &context)
    : QObject(page), m_context(context)
{}

void AttributePage::doFileAttrs() {}

} // namespace vorin
