#pragma once

#include "views/PageContext.h"

#include <cstdint>
#include <QObject>

namespace vorin {

// The "Overhang" tab: the space the counted files of one drive lose to the
// empty tail of their last cluster, at the drive's real cluster size and at
// 4K to 64K, beside the classic table of FAT and FAT32 cluster sizes. Only a
// run over exactly one drive fills it. GUI thread.
class OverhangPage : public QObject
{
    Q_OBJECT

public:
    OverhangPage(QWidget *page, PageContext &context);

    // clusterSize: the allocation unit of the scanned drive, 0 when unknown.
    void doOverHang(std::int32_t clusterSize);

private:
    PageContext &m_context;
};

} // namespace vorin
