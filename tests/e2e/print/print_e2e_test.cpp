// The program's direct printing, run like a user runs it on a machine without a
// display: data files in a temporary folder, the report written to PDF, and the
// PDF read back with poppler's tools.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "print_support.h"

using namespace printtest;

namespace {

const QString kProgram = QStringLiteral(MIVORA_PRINT_PROGRAM);

// The DATA column's text, worked out here rather than taken from the program.
QString ExpectedData(float value) {
    if (value >= 3000.0f) return QStringLiteral("----");
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", static_cast<double>(value));
    return QString::fromLatin1(buf);
}

struct Row {
    QString no, data, unit, time;
};

std::vector<Row> TableRows(const QString& pageText) {
    static const QRegularExpression row(
        QStringLiteral("^\\s*(\\d+)\\s+(\\S+)\\s+(\\S+)\\s+(\\S+)\\s*$"),
        QRegularExpression::MultilineOption);
    std::vector<Row> out;
    for (auto it = row.globalMatch(pageText); it.hasNext();) {
        const auto m = it.next();
        out.push_back({m.captured(1), m.captured(2), m.captured(3), m.captured(4)});
    }
    return out;
}

bool HasHeader(const QString& pageText) {
    static const QRegularExpression header(QStringLiteral("^\\s*NO\\s+DATA\\s+UNIT\\s+TIME\\s*$"),
                                           QRegularExpression::MultilineOption);
    return header.match(pageText).hasMatch();
}

const PdfWord* FindWord(const std::vector<PdfWord>& words, const QString& text) {
    for (const PdfWord& w : words) {
        if (w.text == text) return &w;
    }
    return nullptr;
}

class DirectPrint : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        env_ = HeadlessEnv(dir_.path());
    }

    QString Path(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    QString DataFile(const std::vector<Reading>& readings, const QString& name = "rec.Mvrlog") {
        const QString path = Path(name);
        WriteDataFile(path, readings);
        return path;
    }

    RunResult Mivora(const QStringList& args) { return printtest::Run(kProgram, args, env_); }

    // Prints `readings` through the command line into a PDF and returns its path.
    QString PrintToPdf(const std::vector<Reading>& readings) {
        const QString pdf = Path("report.pdf");
        const RunResult r = Mivora({"/pt", DataFile(readings), pdf});
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains("mivora:")) << r.err.toStdString();
        EXPECT_TRUE(QFileInfo::exists(pdf));
        return pdf;
    }

    QTemporaryDir dir_;
    QProcessEnvironment env_;
};

// Page count: the graph page, then 30 rows a page, with a header-only page when
// the count is a multiple of 30 (0 included).
TEST_F(DirectPrint, PageCountIsReadingsOver30Plus2) {
    for (int count : {0, 1, 2, 13, 29, 30, 31, 59, 60, 61, 4000}) {
        SCOPED_TRACE(count);
        const QString pdf = PrintToPdf(MakeReadings(count, 7));
        EXPECT_EQ(PdfPageCount(pdf), count / 30 + 2);
    }
}

// Every reading of the file is a row, in order, on the right page, "----" for
// an entry without a value; every table page starts with the header.
TEST_F(DirectPrint, TablePagesListEveryRowOfTheFile) {
    for (int count : {75, 60, 1}) {
        SCOPED_TRACE(count);
        const std::vector<Reading> readings = MakeReadings(count, 7);
        const QString pdf = PrintToPdf(readings);
        const int pages = count / 30 + 2;
        ASSERT_EQ(PdfPageCount(pdf), pages);
        int next = 0;
        for (int page = 2; page <= pages; ++page) {
            SCOPED_TRACE(page);
            const QString text = PdfText(pdf, page);
            EXPECT_TRUE(HasHeader(text)) << text.toStdString();
            const std::vector<Row> rows = TableRows(text);
            const int expected = std::min(30, count - (page - 2) * 30);
            ASSERT_EQ(static_cast<int>(rows.size()), expected) << text.toStdString();
            for (const Row& row : rows) {
                const Reading& r = readings[static_cast<std::size_t>(next)];
                EXPECT_EQ(row.no, QString::number(next + 1));
                EXPECT_EQ(row.data, ExpectedData(r.value));
                EXPECT_EQ(row.unit.toStdString(), r.unit);
                EXPECT_EQ(row.time.toStdString(), r.time);
                ++next;
            }
        }
        EXPECT_EQ(next, count);
        if (count % 30 == 0) {
            EXPECT_TRUE(TableRows(PdfText(pdf, pages)).empty());
        }
    }
}

// The marker prints as "----" and never as its number.
TEST_F(DirectPrint, EntryWithoutValuePrintsDashes) {
    std::vector<Reading> readings = MakeReadings(3);
    readings[1].value = 3000.0f;
    const QString pdf = PrintToPdf(readings);
    const std::vector<Row> rows = TableRows(PdfText(pdf, 2));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].data, "----");
    EXPECT_FALSE(PdfText(pdf, 2).contains("3000.0"));
}

// Page 1's texts, each at its place: the text's point is its upper left corner.
TEST_F(DirectPrint, GraphPageTextsStandWhereTheLayoutPutsThem) {
    const QString pdf = PrintToPdf(MakeReadings(40));
    const QString text = PdfText(pdf, 1, false);
    EXPECT_TRUE(text.contains(" 70913 Test Report ") || text.contains("70913 Test Report"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Temperature"));
    EXPECT_FALSE(HasHeader(text));

    const std::vector<PdfWord> words = PdfWords(pdf, 1);
    constexpr double kTol = 1.5;  // points

    const PdfWord* title = FindWord(words, "70913");
    ASSERT_NE(title, nullptr);
    EXPECT_NEAR(title->yMin, PointY(1120), kTol);
    // The leading space puts the first word a little right of the point.
    EXPECT_GT(title->xMin, PointX(-610));
    EXPECT_LT(title->xMin, PointX(-610) + 12.0);
    EXPECT_GT(title->yMax - title->yMin, 0.72 * 40 * 0.95);  // the big font

    const PdfWord* temperature = FindWord(words, "Temperature");
    ASSERT_NE(temperature, nullptr);
    EXPECT_NEAR(temperature->xMin, PointX(-750), kTol);
    EXPECT_NEAR(temperature->yMin, PointY(1025), kTol);
    EXPECT_LT(temperature->yMax - temperature->yMin, 0.72 * 15 * 1.4);  // the small font

    // Value labels of the unscrolled window, -100.0 at the bottom to 200.0 at the top.
    for (int k = 0; k < 13; ++k) {
        SCOPED_TRACE(k);
        char label[16];
        std::snprintf(label, sizeof label, "%.1f", 25.0 * (k - 4));
        const PdfWord* w = FindWord(words, QString::fromLatin1(label));
        ASSERT_NE(w, nullptr) << label;
        EXPECT_NEAR(w->xMin, PointX(-800), kTol);
        EXPECT_NEAR(w->yMin, PointY(215 + 66 * k), kTol);
    }

    // 40 readings: step 740/39, label step 3; labels right of the sheet are cut off.
    const float s = 740.0f / 39.0f;
    const int g = static_cast<int>(61.0 / s);
    ASSERT_EQ(g, 3);
    int onSheet = 0;
    for (int i = 0; i < 20; ++i) {
        const int x = static_cast<int>(static_cast<double>(i) * g * s - 750);
        if (PointX(x) + 6.0 > kA4WidthPt) continue;
        ++onSheet;
        bool found = false;
        for (const PdfWord& w : words) {
            if (w.text == QString::number(1 + i * g) && std::abs(w.xMin - PointX(x)) < kTol &&
                std::abs(w.yMin - PointY(195)) < kTol)
                found = true;
        }
        EXPECT_TRUE(found) << "label " << 1 + i * g << " at x " << x;
    }
    EXPECT_GE(onSheet, 13);
}

// Below 13 readings every reading is labelled 4 units left of its point; from 13
// on the label step 61/s is below 1 and becomes 1, so 13 readings are labelled
// 1 to 13 at their points.
TEST_F(DirectPrint, FewReadingsAreEachLabelled) {
    for (int count : {12, 13, 2}) {
        SCOPED_TRACE(count);
        const QString pdf = PrintToPdf(MakeReadings(count));
        const std::vector<PdfWord> words = PdfWords(pdf, 1);
        const float s = 740.0f / static_cast<float>(count - 1);
        const int shift = count < 13 ? 754 : 750;
        for (int i = 0; i < count; ++i) {
            const int x = static_cast<int>(static_cast<double>(i) * s - shift);
            bool found = false;
            for (const PdfWord& w : words) {
                if (w.text == QString::number(i + 1) && std::abs(w.xMin - PointX(x)) < 1.5 &&
                    std::abs(w.yMin - PointY(195)) < 1.5)
                    found = true;
            }
            EXPECT_TRUE(found) << "label " << i + 1;
        }
        // No label beyond the last reading on the sheet.
        EXPECT_EQ(FindWord(words, QString::number(count + 1)), nullptr);
    }
}

// The frame's four lines and the curve through every reading, in pixels of page 1.
TEST_F(DirectPrint, GraphPageShowsFrameAndCurve) {
    constexpr int kDpi = 100;
    constexpr int kDark = 90;
    const std::vector<Reading> readings = MakeReadings(40);
    const QImage img = RenderPage(PrintToPdf(readings), 1, kDpi);
    ASSERT_FALSE(img.isNull());
    auto dark = [&](double x, double y) {
        return DarkestNear(img, PixelX(x, kDpi), PixelY(y, kDpi), 1) < kDark;
    };

    for (int t = 0; t <= 40; ++t) {
        const double x = -750 + 740.0 * t / 40;
        const double y = 200 + 800.0 * t / 40;
        EXPECT_TRUE(dark(x, 200)) << "bottom edge at x " << x;
        EXPECT_TRUE(dark(x, 1000)) << "top edge at x " << x;
        EXPECT_TRUE(dark(-750, y)) << "left edge at y " << y;
        EXPECT_TRUE(dark(-10, y)) << "right edge at y " << y;
    }

    // y(v) over the window -100 .. 200 of the unscrolled graph.
    const double s = 740.0 / 39.0;
    auto curveY = [](double v) { return 800.0 / 300.0 * (v + 100.0) + 200.0; };
    for (int i = 0; i < 40; ++i) {
        const double x = i * s - 750;
        EXPECT_TRUE(dark(x, curveY(readings[static_cast<std::size_t>(i)].value)))
            << "reading " << i + 1;
        if (i + 1 < 40) {
            const double ym = (curveY(readings[i].value) + curveY(readings[i + 1].value)) / 2;
            EXPECT_TRUE(dark(x + s / 2, ym)) << "between readings " << i + 1 << " and " << i + 2;
        }
    }

    // Nothing dark inside the frame far from the curve: above and below it in
    // each reading's column, clear of the grid's dotted lines.
    int checked = 0;
    for (int i = 0; i + 1 < 40; ++i) {
        const double x = i * s - 750 + s / 2;
        const double y1 = curveY(readings[i].value);
        const double y2 = curveY(readings[i + 1].value);
        for (int y = 215; y < 990; y += 10) {
            if (y > std::min(y1, y2) - 25 && y < std::max(y1, y2) + 25) continue;
            ++checked;
            EXPECT_GT(DarkestNear(img, PixelX(x, kDpi), PixelY(y, kDpi), 0), 200)
                << "stray ink at " << x << ", " << y;
        }
    }
    EXPECT_GT(checked, 500);
}

// With no reading page 1 holds the title and the empty frame, and nothing else.
TEST_F(DirectPrint, NoReadingPrintsTitleAndEmptyFrame) {
    constexpr int kDpi = 100;
    const QString pdf = PrintToPdf({});
    ASSERT_EQ(PdfPageCount(pdf), 2);
    const std::vector<PdfWord> words = PdfWords(pdf, 1);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0].text, "70913");
    EXPECT_EQ(words[1].text, "Test");
    EXPECT_EQ(words[2].text, "Report");

    const QImage img = RenderPage(pdf, 1, kDpi);
    int frameInk = 0;
    for (int t = 0; t <= 20; ++t) {
        frameInk += DarkestNear(img, PixelX(-750 + 37 * t, kDpi), PixelY(200, kDpi), 1) < 90;
        frameInk += DarkestNear(img, PixelX(-750, kDpi), PixelY(200 + 40 * t, kDpi), 1) < 90;
    }
    EXPECT_EQ(frameInk, 42);
    // The inside of the frame is blank: no grid, no curve.
    int inked = 0;
    for (int py = static_cast<int>(PixelY(1000, kDpi)) + 4; py < PixelY(200, kDpi) - 4; ++py) {
        for (int px = static_cast<int>(PixelX(-750, kDpi)) + 4; px < PixelX(-10, kDpi) - 4; ++px) {
            inked += qGray(img.pixel(px, py)) < 250;
        }
    }
    EXPECT_EQ(inked, 0);

    const QString table = PdfText(pdf, 2);
    EXPECT_TRUE(HasHeader(table));
    EXPECT_TRUE(TableRows(table).empty());
}

// The print switches in the spellings the command line accepts, the file also
// before the switch.
TEST_F(DirectPrint, SwitchSpellings) {
    const QString file = DataFile(MakeReadings(31));
    const std::vector<QStringList> commands = {
        {"/pt", file, Path("a.pdf")}, {"-pt", file, Path("b.pdf")}, {"/PT", file, Path("c.PDF")},
        {"-Pt", file, Path("d.pdf")}, {file, "/pt", Path("e.pdf")},
    };
    for (const QStringList& args : commands) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const RunResult r = Mivora(args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString pdf = args.last();
        ASSERT_TRUE(QFileInfo::exists(pdf));
        EXPECT_EQ(PdfPageCount(pdf), 3);
    }
}

// Printing reads the file and writes the PDF, nothing else: the data file keeps
// its bytes and no listing or other file appears.
TEST_F(DirectPrint, PrintingLeavesTheDataFileAlone) {
    const QString file = DataFile(MakeReadings(45, 4));
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray before = in.readAll();
    in.close();

    const RunResult r = Mivora({"/pt", file, Path("out.pdf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), before);
    QStringList names = QDir(dir_.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    names.sort();
    EXPECT_EQ(names, (QStringList{"out.pdf", "rec.Mvrlog"}));
}

// What cannot be printed ends with status 1 and a message on stderr, and leaves
// no PDF behind.
TEST_F(DirectPrint, FailuresExitWithStatus1AndAMessage) {
    const QString good = DataFile(MakeReadings(40));
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = goodFile.readAll();
    const QString truncated = Path("truncated.Mvrlog");
    {
        QFile out(truncated);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes.left(bytes.size() / 2));
    }
    const QString folder = Path("folder.Mvrlog");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString pdf = Path("never.pdf");

    struct Case {
        QStringList args;
        QString says;
    };
    const std::vector<Case> cases = {
        {{"/pt", Path("missing.Mvrlog"), pdf}, "missing.Mvrlog"},
        {{"/pt", truncated, pdf}, "truncated"},
        {{"/pt", folder, pdf}, "folder.Mvrlog"},
        {{"/pt", good, "NoSuchPrinter"}, "unknown printer \"NoSuchPrinter\""},
        {{"/p", good}, "no default printer"},
        {{"/pt", good}, "no printer"},
        {{"/p"}, "no file"},
        {{"/pt", good, Path("no/such/folder/out.pdf")}, "cannot print"},
        {{"/p", "-x", good}, "unknown switch -x"},
        {{"/pt", good, pdf, "driver", "port", "extra"}, "too many arguments"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const RunResult r = Mivora(c.args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains("mivora: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
