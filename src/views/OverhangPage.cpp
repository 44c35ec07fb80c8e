#include "views/OverhangPage.h"

#include <QWidget>

namespace vorin {

OverhangPage::OverhangPage(QWidget *page, PageContext &context) : QObject(page), m_context(context)
{}

void OverhangPage::doOverHang(std::int32_t) {}

} // namespace vorin
