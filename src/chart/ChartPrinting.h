#pragma once

#include <QPrintPreviewDialog>

class QPrinter;

namespace vorin::chart {

class ChartModel;

// Prints one chart on one sheet of the printer, filling the page inside its
// margins while keeping the chart's proportions on screen. Needs no dialog, so
// a page can print straight to a PDF file. Returns false when the printer
// could not be opened.
[[nodiscard]] bool printChart(const ChartModel &model, QPrinter &printer,
                              const QSizeF &screenSize = QSizeF(632, 431));

// The print preview for one chart, with the platform's page set-up and a
// print button that prints what the preview shows.
class ChartPreviewDialog : public QPrintPreviewDialog
{
    Q_OBJECT

public:
    explicit ChartPreviewDialog(QWidget *parent = nullptr);

    // The chart to show; it must outlive the dialog's use.
    void setChart(const ChartModel *model, const QSizeF &screenSize = QSizeF(632, 431));
    [[nodiscard]] const ChartModel *chart() const { return m_model; }

private:
    void renderPages(QPrinter *printer);

    const ChartModel *m_model = nullptr;
    QSizeF m_screenSize;
};

} // namespace vorin::chart
