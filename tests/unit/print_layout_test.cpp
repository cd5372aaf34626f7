#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graph/GraphDrawing.h"
#include "graph/GraphState.h"
#include "graph/PrintLayout.h"
#include "record/MeasurementRecord.h"

namespace mivora {
namespace {

class PrintLayout : public ::testing::Test {
  protected:
    std::unique_ptr<GraphState> graph = std::make_unique<GraphState>();
    std::unique_ptr<MeasurementRecord> record = std::make_unique<MeasurementRecord>();

    void FillScreen(int n, float base = 10.0f) {
        for (int i = 0; i < n; ++i) {
            record->m_fScreenValue[i] = base + i;
            record->m_strScreenTime[i] = "12-11-26/11:00:00";
            record->m_strScreenUnit[i] = "F";
        }
        record->m_nScreenCount = n;
    }
    void FillWhole(int n) {
        for (int i = 0; i < n; ++i) {
            record->m_fValue[i] = 100.0f + i;
            record->m_strTime[i] = "12-10-26/09:00:00";
            record->m_strUnit[i] = "C";
        }
        record->m_nTotalCount = n;
    }
    void DrawOnce() { ComputeDrawing(*graph, {0, 0, 1380, 545}, *record, DrawingInputs{}); }
    static const PrintText* FindText(const std::vector<PrintText>& texts, const std::string& s) {
        for (const auto& t : texts) {
            if (t.text == s) return &t;
        }
        return nullptr;
    }
};

TEST_F(PrintLayout, PageCount) {
    const int totals[] = {0, 29, 30, 31, 4000};
    const int pages[] = {2, 2, 3, 3, 135};
    for (int i = 0; i < 5; ++i) {
        FillWhole(totals[i]);
        EXPECT_EQ(PrintPageCount(*record), pages[i]) << totals[i];
    }
}

TEST_F(PrintLayout, EmptyScreenPrintsTitleAndFrameOnly) {
    const PrintPage page = ComputePrintPage(*graph, *record, 1);
    const std::vector<PrintLine> lines = page.Lines();
    const std::vector<PrintText> texts = page.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, " 70913 Test Report ");
    EXPECT_EQ(texts[0].x, -610);
    EXPECT_EQ(texts[0].y, 1120);
    EXPECT_EQ(texts[0].font, PrintFont::Title);
    ASSERT_EQ(lines.size(), 4u);
    const int frame[4][4] = {{-750, 200, -10, 200},
                             {-750, 200, -750, 1000},
                             {-750, 1000, -10, 1000},
                             {-10, 200, -10, 1000}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lines[i].x1, frame[i][0]);
        EXPECT_EQ(lines[i].y1, frame[i][1]);
        EXPECT_EQ(lines[i].x2, frame[i][2]);
        EXPECT_EQ(lines[i].y2, frame[i][3]);
        EXPECT_EQ(lines[i].pen, PrintPen::Black2);
    }
}

TEST_F(PrintLayout, GraphPageWithFewReadings) {
    FillScreen(5, 0.0f);  // 0, 1, 2, 3, 4 in the window -100 .. 200
    DrawOnce();
    const PrintPage page = ComputePrintPage(*graph, *record, 1);
    const std::vector<PrintLine> lines = page.Lines();
    const std::vector<PrintText> texts = page.Texts();
    // Frame, 4 curve segments, 12 horizontal and 5 vertical grid lines.
    ASSERT_EQ(lines.size(), 4u + 4u + 12u + 5u);
    // s = 185; y(0) = 800 / 300 x 100 + 200.
    EXPECT_EQ(lines[4].x1, -750);
    EXPECT_EQ(lines[4].y1, 466);
    EXPECT_EQ(lines[4].x2, -565);
    EXPECT_EQ(lines[4].y2, 469);
    EXPECT_EQ(lines[7].x2, -10);
    EXPECT_EQ(lines[8].pen, PrintPen::GreyDot);
    EXPECT_EQ(lines[8].y1, 266);  // 200 + 800 / 12
    EXPECT_EQ(lines[8].x1, -10);
    EXPECT_EQ(lines[8].x2, -755);
    EXPECT_EQ(lines[19].y1, 1000);
    EXPECT_EQ(lines[20].x1, -750);
    EXPECT_EQ(lines[24].x1, -10);

    const PrintText* t = FindText(texts, "Temperature");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->x, -750);
    EXPECT_EQ(t->y, 1025);
    t = FindText(texts, "-100.0");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->x, -800);
    EXPECT_EQ(t->y, 215);
    t = FindText(texts, "200.0");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->y, 215 + 66 * 12);
    // Labels 1..5 at trunc(i x s - 754).
    const PrintText* last = FindText(texts, "5");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->x, -14);
    EXPECT_EQ(last->y, 195);
    EXPECT_EQ(last->font, PrintFont::Small);
}

TEST_F(PrintLayout, ThirteenReadingsLabelEveryReading) {
    FillScreen(13);
    DrawOnce();
    const std::vector<PrintText> texts = ComputePrintPage(*graph, *record, 1).Texts();
    // 740 / 12 = 61.67 per reading: the label step is at least 1.
    for (int i = 0; i < 20; ++i) {
        const PrintText* t = FindText(texts, std::to_string(i + 1));
        ASSERT_NE(t, nullptr) << i;
        // Single-precision step, double-precision products: 3 x 61.666668 - 750 gives -564.
        EXPECT_EQ(t->x, static_cast<int>(i * static_cast<double>(740.0f / 12) - 750)) << i;
    }
}

TEST_F(PrintLayout, ManyReadingsLabelStep) {
    FillScreen(4000);
    DrawOnce();
    const PrintPage page = ComputePrintPage(*graph, *record, 1);
    const std::vector<PrintText> texts = page.Texts();
    // s = 740 / 3999, g = trunc(61 / s) = 329.
    ASSERT_NE(FindText(texts, "330"), nullptr);
    ASSERT_NE(FindText(texts, std::to_string(1 + 19 * 329)), nullptr);
    EXPECT_EQ(page.Lines().size(), 4u + 3999u + 12u + 20u);
}

TEST_F(PrintLayout, OneReadingHasNoStep) {
    FillScreen(1);
    DrawOnce();
    const PrintPage page = ComputePrintPage(*graph, *record, 1);
    const std::vector<PrintLine> lines = page.Lines();
    // Frame, no curve, 12 horizontal lines and one vertical line at the left edge.
    ASSERT_EQ(lines.size(), 4u + 12u + 1u);
    EXPECT_EQ(lines.back().x1, -750);
    EXPECT_EQ(lines.back().x2, -750);
    const std::vector<PrintText> texts = page.Texts();
    const PrintText* t = FindText(texts, "1");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->x, -754);
}

TEST_F(PrintLayout, DirectPrintBeforeAnyDrawingUsesTheScrollPosition) {
    graph->m_nValueScrollPos = 60;  // window 200 .. 500
    FillScreen(3, 300.0f);
    const PrintPage page = ComputePrintPage(*graph, *record, 1);
    const std::vector<PrintText> texts = page.Texts();
    EXPECT_NE(FindText(texts, "200.0"), nullptr);
    EXPECT_NE(FindText(texts, "500.0"), nullptr);
    const std::vector<PrintLine> lines = page.Lines();
    // y(300) = 800 / 300 x 100 + 200.
    EXPECT_EQ(lines[4].y1, 466);
    // The state itself is not changed by printing.
    EXPECT_FLOAT_EQ(graph->g_fAxisValue[0][12], 0.0f);
}

TEST_F(PrintLayout, TablePages) {
    FillWhole(30);
    record->m_fValue[4] = kNoValueMarker;
    ASSERT_EQ(PrintPageCount(*record), 3);
    const PrintPage first = ComputePrintPage(*graph, *record, 2);
    const std::vector<PrintLine> lines = first.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].x1, -770);
    EXPECT_EQ(lines[0].y1, 1050);
    EXPECT_EQ(lines[0].x2, -10);
    const std::vector<PrintText> texts = first.Texts();
    ASSERT_EQ(texts.size(), 4u + 30u * 4u);
    EXPECT_EQ(texts[0].text, "NO");
    EXPECT_EQ(texts[0].x, -618);
    EXPECT_EQ(texts[0].y, 1080);
    EXPECT_EQ(texts[3].text, "TIME");
    EXPECT_EQ(texts[3].x, -162);
    // Row 1.
    EXPECT_EQ(texts[4].text, "1");
    EXPECT_EQ(texts[4].y, 1020);
    EXPECT_EQ(texts[5].text, "100.0");
    EXPECT_EQ(texts[5].x, -466);
    EXPECT_EQ(texts[6].text, "C");
    EXPECT_EQ(texts[7].text, "12-10-26/09:00:00");
    // Row 5 holds the marker; row 30 is the last on the page.
    EXPECT_EQ(texts[4 + 4 * 4 + 1].text, "----");
    EXPECT_EQ(texts[4 + 29 * 4].text, "30");
    EXPECT_EQ(texts[4 + 29 * 4].y, 1020 - 30 * 29);
    // The last page carries only the header.
    const PrintPage last = ComputePrintPage(*graph, *record, 3);
    EXPECT_EQ(last.Texts().size(), 4u);
    EXPECT_EQ(last.Lines().size(), 1u);
    // Rows 31 on start at the top again.
    FillWhole(31);
    const std::vector<PrintText> third = ComputePrintPage(*graph, *record, 3).Texts();
    ASSERT_EQ(third.size(), 8u);
    EXPECT_EQ(third[4].text, "31");
    EXPECT_EQ(third[4].y, 1020);
}

TEST_F(PrintLayout, LoadedFilePrintsItsReadingsAndLeavesTheRecord) {
    FillWhole(50);
    FillScreen(3, 60.0f);
    record->m_bReloaded = 1;
    const std::vector<float> values(record->m_fValue.begin(), record->m_fValue.begin() + 50);
    const std::vector<std::string> times(record->m_strTime.begin(), record->m_strTime.begin() + 50);

    EXPECT_EQ(PrintPageCount(*record), 2);
    const std::vector<PrintText> texts = ComputePrintPage(*graph, *record, 2).Texts();
    ASSERT_EQ(texts.size(), 4u + 3u * 4u);
    EXPECT_EQ(texts[5].text, "60.0");
    EXPECT_EQ(texts[6].text, "F");
    EXPECT_EQ(texts[7].text, "12-11-26/11:00:00");
    EXPECT_EQ(texts[4 + 2 * 4 + 1].text, "62.0");

    EXPECT_EQ(record->m_nTotalCount, 50);
    EXPECT_EQ(std::vector<float>(record->m_fValue.begin(), record->m_fValue.begin() + 50), values);
    EXPECT_EQ(std::vector<std::string>(record->m_strTime.begin(), record->m_strTime.begin() + 50),
              times);
    EXPECT_EQ(record->m_strUnit[0], "C");
}

TEST_F(PrintLayout, PagesOutsideTheJobAreEmpty) {
    FillWhole(10);
    EXPECT_TRUE(ComputePrintPage(*graph, *record, 0).items.empty());
    EXPECT_TRUE(ComputePrintPage(*graph, *record, 3).items.empty());
    EXPECT_FALSE(ComputePrintPage(*graph, *record, 2).items.empty());
}

}  // namespace
}  // namespace mivora
