#pragma once
// Shared pieces of the print tests: recordings, data files, running programs,
// and reading PDF files through poppler's tools.
#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "record/MeasurementRecord.h"

namespace printtest {

struct Reading {
    float value = 0.0f;
    std::string unit;
    std::string time;
};

// `count` readings on a slow wave between about 0 and 150, unit "C", one second
// apart; every `markerEvery`-th one (0: none) is a logged entry without a value.
std::vector<Reading> MakeReadings(int count, int markerEvery = 0);
// A whole record holding `readings`.
std::unique_ptr<mivora::MeasurementRecord> RecordOf(const std::vector<Reading>& readings);
// Writes the data file of a recording of `readings`.
void WriteDataFile(const QString& path, const std::vector<Reading>& readings);

struct RunResult {
    bool finished = false;
    int exitCode = -1;
    QString out;
    QString err;
};
RunResult Run(const QString& program, const QStringList& args,
              const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

// The environment of a machine without a display and without printers: no
// DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM, CUPS pointed at nothing.
QProcessEnvironment HeadlessEnv(const QString& tempDir);

int PdfPageCount(const QString& pdf);
QString PdfText(const QString& pdf, int page, bool layout = true);

// A word of `pdftotext -bbox`, in points from the top left of the page.
struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
std::vector<PdfWord> PdfWords(const QString& pdf, int page);

// Page 'page' rendered at `dpi` (gray scale).
QImage RenderPage(const QString& pdf, int page, int dpi);

// The A4 sheet of the PDF files, in points; the whole sheet is printable, so the
// report's origin is the sheet's lower right corner.
constexpr double kA4WidthPt = 595.0;
constexpr double kA4HeightPt = 842.0;

// Page units (0.01 inch, origin lower right, y up) to points from the top left,
// as pdftotext -bbox gives them.
double PointX(double x);
double PointY(double y);
// Page units to the pixel of a page rendered at `dpi`.
double PixelX(double x, int dpi);
double PixelY(double y, int dpi);

// Darkest gray value within `radius` pixels of (px, py).
int DarkestNear(const QImage& img, double px, double py, int radius);

}  // namespace printtest
