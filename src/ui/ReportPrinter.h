#pragma once
// Paints the test report the core laid out, on a printer or into a PDF file. One
// routine serves both: the page's 0.01-inch coordinates (origin at the lower right
// of the printable area, y up) are mapped onto the device here and nowhere else.
#include <QRectF>
#include <QString>

#include "graph/GraphState.h"
#include "graph/PrintLayout.h"
#include "record/MeasurementRecord.h"

class QPainter;
class QPrinter;
class QWidget;

namespace mivora::ui {

// Draws one laid-out page. `pageRect` is the printable area in device pixels, in
// the painter's untransformed coordinates; `dpi` is the device's dots per inch.
void PaintReportPage(QPainter& painter, const PrintPage& page, const QRectF& pageRect, qreal dpi);

// Prints every page of the report (or the range chosen in the print dialog) as
// one job. The record is only read. On failure returns false and says why.
bool PrintReport(QPrinter& printer, const GraphState& state, const MeasurementRecord& record,
                 QString* error = nullptr);

// True when `name` names a PDF file rather than a printer (ends in ".pdf").
bool IsPdfFileName(const QString& name);

// Sets `printer` up to write the report into the PDF file `path`: A4, and the
// whole sheet is the printable area, so the report's wide layout fits.
void SetUpPdfOutput(QPrinter& printer, const QString& path);

enum class PrintOutcome { Printed, Cancelled, Failed };

// The Print command: the standard print dialog (pages 1 to the report's last),
// then the report on the printer chosen there. A PDF file chosen in the dialog
// gets the whole sheet as printable area, as a PDF printer gives it.
PrintOutcome PrintWithDialog(QWidget* parent, const GraphState& state,
                             const MeasurementRecord& record, const QString& docName,
                             QString* error = nullptr);

}  // namespace mivora::ui
