#include "ui/ReportPrinter.h"

#include <QFont>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <vector>

namespace mivora::ui {

namespace {

constexpr qreal kUnitsPerInch = 100.0;  // page units are 0.01 inch

QFont ReportFont(PrintFont which) {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    // Heights are character heights in page units; the painter's scale makes
    // them device pixels.
    font.setPixelSize(which == PrintFont::Title ? 40 : 15);
    font.setWeight(QFont::Normal);
    return font;
}

QPen ReportPen(PrintPen which) {
    if (which == PrintPen::GreyDot) {
        QPen pen(QColor(0x7F, 0x7F, 0x7F), 1.0, Qt::DotLine, Qt::FlatCap);
        return pen;
    }
    return QPen(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QString PrinterLabel(const QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        return QStringLiteral("the PDF file \"%1\"").arg(printer.outputFileName());
    }
    return QStringLiteral("the printer \"%1\"").arg(printer.printerName());
}

void SetError(QString* error, const QString& text) {
    if (error) *error = text;
}

}  // namespace

void PaintReportPage(QPainter& painter, const PrintPage& page, const QRectF& pageRect, qreal dpi) {
    painter.save();
    // Origin at the lower right of the printable area, one unit = 0.01 inch. The
    // scale is not mirrored, so text stays upright; page y is negated instead.
    const qreal scale = dpi / kUnitsPerInch;
    QTransform toDevice;
    toDevice.translate(pageRect.right(), pageRect.bottom());
    toDevice.scale(scale, scale);
    painter.setWorldTransform(toDevice, true);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setBrush(Qt::NoBrush);

    const QFont titleFont = ReportFont(PrintFont::Title);
    const QFont smallFont = ReportFont(PrintFont::Small);
    const QPen blackPen = ReportPen(PrintPen::Black2);
    const QPen greyPen = ReportPen(PrintPen::GreyDot);
    const QPen textPen(Qt::black);

    for (const PrintPrimitive& item : page.items) {
        if (item.kind == PrintPrimitive::Kind::Line) {
            const PrintLine& l = item.line;
            painter.setPen(l.pen == PrintPen::GreyDot ? greyPen : blackPen);
            painter.drawLine(QPointF(l.x1, -l.y1), QPointF(l.x2, -l.y2));
        } else {
            const PrintText& t = item.text;
            painter.setPen(textPen);
            painter.setFont(t.font == PrintFont::Title ? titleFont : smallFont);
            // The text's point is the upper left corner of its cell.
            const QRectF cell(t.x, -t.y, 10000.0, 1000.0);
            painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             QString::fromStdString(t.text));
        }
    }
    painter.restore();
}

bool PrintReport(QPrinter& printer, const GraphState& state, const MeasurementRecord& record,
                 QString* error) {
    const int pageCount = PrintPageCount(record);
    int first = 1;
    int last = pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(pageCount, printer.toPage() > 0 ? printer.toPage() : pageCount);
        if (first > last) {
            SetError(error, QStringLiteral("the report has no page %1 (it has %2 pages)")
                                .arg(first)
                                .arg(pageCount));
            return false;
        }
    }
    std::vector<int> pages;
    for (int p = first; p <= last; ++p) pages.push_back(p);
    if (printer.pageOrder() == QPrinter::LastPageFirst) std::reverse(pages.begin(), pages.end());

    QPainter painter;
    if (!painter.begin(&printer)) {
        SetError(error, QStringLiteral("cannot print on %1").arg(PrinterLabel(printer)));
        return false;
    }
    // The device's own area: the printable area, or the sheet when it is all printable.
    const QRectF area(0.0, 0.0, printer.width(), printer.height());
    const qreal dpi = printer.resolution();
    bool firstPage = true;
    for (int p : pages) {
        if (!firstPage && !printer.newPage()) {
            painter.end();
            SetError(
                error,
                QStringLiteral("cannot start page %1 on %2").arg(p).arg(PrinterLabel(printer)));
            return false;
        }
        firstPage = false;
        PaintReportPage(painter, ComputePrintPage(state, record, p), area, dpi);
    }
    const bool ended = painter.end();
    if (!ended || printer.printerState() == QPrinter::Error ||
        printer.printerState() == QPrinter::Aborted) {
        SetError(error, QStringLiteral("printing on %1 failed").arg(PrinterLabel(printer)));
        return false;
    }
    return true;
}

bool IsPdfFileName(const QString& name) {
    return name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

void SetUpPdfOutput(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
}

PrintOutcome PrintWithDialog(QWidget* parent, const GraphState& state,
                             const MeasurementRecord& record, const QString& docName,
                             QString* error) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(docName);
    printer.setCreator(QStringLiteral("Mivora"));
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, PrintPageCount(record));
    if (dialog.exec() != QDialog::Accepted) return PrintOutcome::Cancelled;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    return PrintReport(printer, state, record, error) ? PrintOutcome::Printed
                                                      : PrintOutcome::Failed;
}

}  // namespace mivora::ui
