// The painting routine on images, and whole print jobs into PDF files, in process.
#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "graph/GraphState.h"
#include "graph/PrintLayout.h"
#include "print_support.h"
#include "record/DataFile.h"
#include "ui/ReportPrinter.h"

using namespace printtest;
using mivora::ComputePrintPage;
using mivora::GraphState;
using mivora::MeasurementRecord;
using mivora::ui::PaintReportPage;
using mivora::ui::PrintReport;

namespace {

struct Canvas {
    QRectF area;  // the printable area, in image pixels
    int dpi;
    // Page units to image pixels: origin at the area's lower right, y up.
    QPointF At(double x, double y) const {
        return {area.right() + x * dpi / 100.0, area.bottom() - y * dpi / 100.0};
    }
};

QImage Paint(const mivora::PrintPage& page, const Canvas& c, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PaintReportPage(p, page, c.area, c.dpi);
    p.end();
    return img;
}

int Gray(const QImage& img, QPointF pt) {
    return qGray(
        img.pixel(static_cast<int>(std::floor(pt.x())), static_cast<int>(std::floor(pt.y()))));
}

// Ink bounding box inside `region` (image pixels).
QRect InkBox(const QImage& img, QRect region) {
    QRect box;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (qGray(img.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

std::unique_ptr<MeasurementRecord> Loaded(const std::vector<Reading>& whole,
                                          const std::vector<Reading>& file) {
    auto rec = RecordOf(whole);
    const auto fileRec = RecordOf(file);
    mivora::MeterState meter;
    const std::vector<std::uint8_t> bytes = mivora::EncodeDataFile(*fileRec, meter);
    mivora::DataFileContents contents;
    std::string error;
    EXPECT_TRUE(mivora::DecodeDataFile(bytes.data(), bytes.size(), contents, error)) << error;
    mivora::ApplyDataFile(contents, *rec, meter);
    return rec;
}

std::vector<int> RowNumbers(const QString& text) {
    static const QRegularExpression row(QStringLiteral("^\\s*(\\d+)\\s+\\S+\\s+\\S+\\s+\\S+\\s*$"),
                                        QRegularExpression::MultilineOption);
    std::vector<int> out;
    for (auto it = row.globalMatch(text); it.hasNext();)
        out.push_back(it.next().captured(1).toInt());
    return out;
}

// The frame lands where the page coordinates say, whatever the printable area's
// place and the device's resolution; the black pen is 0.02 inch wide.
TEST(PaintReportPage, MapsPageUnitsOntoThePrintableArea) {
    const auto rec = std::make_unique<MeasurementRecord>();
    const auto state = std::make_unique<GraphState>();
    const mivora::PrintPage page = ComputePrintPage(*state, *rec, 1);
    const struct {
        Canvas canvas;
        QSize size;
    } cases[] = {
        {{QRectF(0, 0, 850, 1200), 100}, QSize(850, 1200)},
        {{QRectF(25, 40, 830, 1180), 100}, QSize(900, 1260)},
        {{QRectF(0, 0, 1700, 2400), 200}, QSize(1700, 2400)},
        {{QRectF(0, 0, 640, 900), 75}, QSize(660, 920)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.canvas.dpi);
        const QImage img = Paint(page, c.canvas, c.size);
        const double px = c.canvas.dpi / 100.0;
        for (int t = 1; t < 20; ++t) {
            const double x = -750 + 37.0 * t;
            const double y = 200 + 40.0 * t;
            EXPECT_LT(Gray(img, c.canvas.At(x, 200)), 60) << x;
            EXPECT_LT(Gray(img, c.canvas.At(x, 1000)), 60) << x;
            EXPECT_LT(Gray(img, c.canvas.At(-750, y)), 60) << y;
            EXPECT_LT(Gray(img, c.canvas.At(-10, y)), 60) << y;
            // The pen's width: ink within a unit of the line, paper two units off it.
            EXPECT_LT(Gray(img, c.canvas.At(x, 200) + QPointF(0, 0.6 * px)), 60);
            EXPECT_EQ(Gray(img, c.canvas.At(x, 200) + QPointF(0, 2.5 * px)), 255);
            EXPECT_EQ(Gray(img, c.canvas.At(x, 200) - QPointF(0, 2.5 * px)), 255);
            // Inside the empty frame, nothing.
            EXPECT_EQ(Gray(img, c.canvas.At(x, y)), 255);
        }
        // Right of and below the origin is outside the printable area: no ink.
        EXPECT_EQ(InkBox(img, QRect(QPoint(static_cast<int>(c.canvas.area.right()) + 1, 0),
                                    QPoint(c.size.width() - 1, c.size.height() - 1))),
                  QRect());
        EXPECT_EQ(InkBox(img, QRect(QPoint(0, static_cast<int>(c.canvas.area.bottom()) + 1),
                                    QPoint(c.size.width() - 1, c.size.height() - 1))),
                  QRect());
    }
}

// A text's point is the upper left corner of its cell: the ink starts just right
// of it and a little below it (the cell's leading), and spans about the font's height.
TEST(PaintReportPage, TextHangsFromItsPoint) {
    const Canvas c{QRectF(0, 0, 850, 1200), 100};
    const struct {
        mivora::PrintFont font;
        std::string text;
        int height;
    } cases[] = {{mivora::PrintFont::Title, "HEH", 40}, {mivora::PrintFont::Small, "HEH", 15}};
    for (const auto& tc : cases) {
        SCOPED_TRACE(tc.height);
        mivora::PrintPage page;
        mivora::PrintPrimitive item;
        item.kind = mivora::PrintPrimitive::Kind::Text;
        item.text = {tc.text, -500, 600, tc.font};
        page.items.push_back(item);
        const QImage img = Paint(page, c, QSize(850, 1200));
        const QPointF pt = c.At(-500, 600);
        const QRect ink = InkBox(img, QRect(0, 0, 850, 1200));
        ASSERT_FALSE(ink.isNull());
        EXPECT_GE(ink.left(), static_cast<int>(pt.x()));
        EXPECT_LE(ink.left(), pt.x() + 0.15 * tc.height);
        // Capital letters: the cap height is about 0.72 of the character height,
        // below the ascent (0.905) measured from the cell's top.
        EXPECT_GE(ink.top(), pt.y() + 0.1 * tc.height);
        EXPECT_LE(ink.top(), pt.y() + 0.3 * tc.height);
        EXPECT_NEAR(ink.height(), 0.72 * tc.height, 0.12 * tc.height + 1);
        EXPECT_LT(ink.bottom(), pt.y() + tc.height);
    }
}

// The grid's pen is dotted grey 0x7F7F7F, one unit wide, drawn over the curve.
TEST(PaintReportPage, GridIsDottedGrey) {
    const auto rec = RecordOf(MakeReadings(13));
    rec->m_nScreenCount = 13;
    for (int i = 0; i < 13; ++i) rec->m_fScreenValue[i] = rec->m_fValue[i];
    const auto state = std::make_unique<GraphState>();
    const Canvas c{QRectF(0, 0, 850, 1200), 100};
    const QImage img = Paint(ComputePrintPage(*state, *rec, 1), c, QSize(850, 1200));

    // The lowest horizontal grid line, y = 200 + 800 / 12, lies below the curve.
    int grey = 0, white = 0, other = 0;
    const int py = static_cast<int>(c.At(0, 266).y());
    for (int px = static_cast<int>(c.At(-740, 0).x()); px < c.At(-20, 0).x(); ++px) {
        const QRgb rgb = img.pixel(px, py);
        if (rgb == qRgb(0x7F, 0x7F, 0x7F))
            ++grey;
        else if (rgb == qRgb(255, 255, 255))
            ++white;
        else if (qGray(rgb) > 60)  // anything but grey, paper or the black curve
            ++other;
    }
    EXPECT_GT(grey, 100);
    EXPECT_GT(white, 100);
    EXPECT_EQ(other, 0);
    // Two units off the line the paper is blank.
    EXPECT_EQ(Gray(img, c.At(-400, 263)), 255);
    EXPECT_EQ(Gray(img, c.At(-400, 269)), 255);
}

class PrintJob : public ::testing::Test {
  protected:
    QString Pdf(const QString& name) const { return QDir(dir_.path()).filePath(name); }
    QTemporaryDir dir_;
    std::unique_ptr<GraphState> state_ = std::make_unique<GraphState>();
};

// Printing a loaded file lists the loaded readings and changes nothing in the
// record: neither the whole record nor the loaded series nor their counts.
TEST_F(PrintJob, LoadedFilePrintsItsReadingsAndLeavesTheRecordAlone) {
    const std::vector<Reading> whole = MakeReadings(50, 6);
    std::vector<Reading> file = MakeReadings(35, 4);
    for (auto& r : file) r.time.replace(0, 2, "01");  // told apart from the whole record's
    const auto rec = Loaded(whole, file);
    const MeasurementRecord before = *rec;

    QPrinter printer(QPrinter::HighResolution);
    mivora::ui::SetUpPdfOutput(printer, Pdf("loaded.pdf"));
    QString error;
    ASSERT_TRUE(PrintReport(printer, *state_, *rec, &error)) << error.toStdString();

    EXPECT_EQ(rec->m_nTotalCount, before.m_nTotalCount);
    EXPECT_EQ(rec->m_nScreenCount, before.m_nScreenCount);
    EXPECT_EQ(rec->m_bReloaded, before.m_bReloaded);
    EXPECT_EQ(rec->m_fValue, before.m_fValue);
    EXPECT_EQ(rec->m_strUnit, before.m_strUnit);
    EXPECT_EQ(rec->m_strTime, before.m_strTime);
    EXPECT_EQ(rec->m_fScreenValue, before.m_fScreenValue);
    EXPECT_EQ(rec->m_strScreenUnit, before.m_strScreenUnit);
    EXPECT_EQ(rec->m_strScreenTime, before.m_strScreenTime);
    EXPECT_EQ(rec->m_nTotalCount, 50);

    ASSERT_EQ(PdfPageCount(Pdf("loaded.pdf")), 35 / 30 + 2);
    const QString page2 = PdfText(Pdf("loaded.pdf"), 2);
    EXPECT_TRUE(page2.contains(QString::fromStdString(file[0].time)));
    EXPECT_FALSE(page2.contains(QString::fromStdString(whole[0].time)));
    const QString page3 = PdfText(Pdf("loaded.pdf"), 3);
    EXPECT_EQ(RowNumbers(page3), (std::vector<int>{31, 32, 33, 34, 35}));
}

// A live recording: the graph page shows the screen series, the table the whole record.
TEST_F(PrintJob, LiveRecordingTablesTheWholeRecord) {
    const auto rec = RecordOf(MakeReadings(50));
    rec->m_nScreenCount = 5;  // the screen was cleared after reading 45
    for (int i = 0; i < 5; ++i) rec->m_fScreenValue[i] = rec->m_fValue[45 + i];
    QPrinter printer(QPrinter::HighResolution);
    mivora::ui::SetUpPdfOutput(printer, Pdf("live.pdf"));
    ASSERT_TRUE(PrintReport(printer, *state_, *rec));
    ASSERT_EQ(PdfPageCount(Pdf("live.pdf")), 50 / 30 + 2);
    const std::vector<PdfWord> words = PdfWords(Pdf("live.pdf"), 1);
    int labels = 0;
    for (const PdfWord& w : words) {
        if (std::abs(w.yMin - PointY(195)) < 1.5) ++labels;
    }
    EXPECT_EQ(labels, 5);
    std::vector<int> rows = RowNumbers(PdfText(Pdf("live.pdf"), 3));
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows.back(), 50);
}

// The range chosen in the print dialog: only those pages, in order.
TEST_F(PrintJob, PrintsTheChosenPageRange) {
    const auto rec = RecordOf(MakeReadings(75));
    QPrinter printer(QPrinter::HighResolution);
    mivora::ui::SetUpPdfOutput(printer, Pdf("range.pdf"));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(2, 3);
    ASSERT_TRUE(PrintReport(printer, *state_, *rec));
    ASSERT_EQ(PdfPageCount(Pdf("range.pdf")), 2);
    EXPECT_EQ(RowNumbers(PdfText(Pdf("range.pdf"), 1)).front(), 1);
    EXPECT_EQ(RowNumbers(PdfText(Pdf("range.pdf"), 2)).front(), 31);

    // A range past the report's last page (4) prints nothing and says so.
    QPrinter beyond(QPrinter::HighResolution);
    mivora::ui::SetUpPdfOutput(beyond, Pdf("beyond.pdf"));
    beyond.setPrintRange(QPrinter::PageRange);
    beyond.setFromTo(5, 6);
    QString error;
    EXPECT_FALSE(PrintReport(beyond, *state_, *rec, &error));
    EXPECT_TRUE(error.contains("no page 5")) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Pdf("beyond.pdf")));
}

TEST_F(PrintJob, UnwritablePdfFailsWithAReason) {
    const auto rec = RecordOf(MakeReadings(3));
    QPrinter printer(QPrinter::HighResolution);
    const QString path = Pdf("missing-folder/out.pdf");
    mivora::ui::SetUpPdfOutput(printer, path);
    QString error;
    EXPECT_FALSE(PrintReport(printer, *state_, *rec, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
}

TEST(IsPdfFileName, EndsInPdf) {
    EXPECT_TRUE(mivora::ui::IsPdfFileName("out.pdf"));
    EXPECT_TRUE(mivora::ui::IsPdfFileName("C:/Reports/OUT.PDF"));
    EXPECT_FALSE(mivora::ui::IsPdfFileName("HP LaserJet"));
    EXPECT_FALSE(mivora::ui::IsPdfFileName("report.pdf.txt"));
    EXPECT_FALSE(mivora::ui::IsPdfFileName("pdf"));
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
