// The Print command in the running window: Ctrl+P, the toolbar button and the
// File menu open the standard print dialog; the report goes where it says.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "GuiFixture.h"
#include "print_support.h"

namespace mivora::ui::test {
namespace {

using printtest::PdfPageCount;
using printtest::PdfText;

std::vector<QStringList> TableRows(const QString& text) {
    static const QRegularExpression row(
        QStringLiteral("^\\s*(\\d+)\\s+(\\S+)\\s+(\\S+)\\s+(\\S+)\\s*$"),
        QRegularExpression::MultilineOption);
    std::vector<QStringList> out;
    for (auto it = row.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out.push_back({m.captured(1), m.captured(2), m.captured(3), m.captured(4)});
    }
    return out;
}

class PrintCommand : public FrameFixture {
  protected:
    void SetUp() override {
        FrameFixture::SetUp();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    }
    void TearDown() override {
        if (m_answer) m_answer->stop();
        FrameFixture::TearDown();
    }

    QString PdfPath(const QString& name) const { return m_dir.filePath(name); }

    // Answers the next print dialog as a user does: the PDF printer, the file
    // name typed in, Return. An empty path cancels with Escape.
    void AnswerPrintDialog(const QString& pdfPath) {
        m_dialogSeen = false;
        m_answer = std::make_unique<QTimer>();
        m_answer->setInterval(20);
        QObject::connect(m_answer.get(), &QTimer::timeout, [this, pdfPath] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            m_answer->stop();
            m_dialogSeen = true;
            m_dialogPages = {dialog->minPage(), dialog->maxPage()};
            if (pdfPath.isEmpty()) {
                QTest::keyClick(dialog, Qt::Key_Escape);
                return;
            }
            auto* printers = dialog->findChild<QComboBox*>("printers");
            auto* fileName = dialog->findChild<QLineEdit*>("filename");
            if (!printers || !fileName) {
                dialog->reject();
                return;
            }
            printers->setCurrentIndex(printers->count() - 1);  // "Print to File (PDF)"
            fileName->setText(pdfPath);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        m_answer->start();
    }

    void Record3Readings() {
        SwitchOn();
        SendAndWait(234);
        SendAndWait(250);
        SendAndWait(12, kStatusCelsius | kStatusNegative);
        ASSERT_EQ(Record().m_nTotalCount, 3);
        ASSERT_TRUE(m_frame->m_actPrint->isEnabled());
    }

    std::unique_ptr<QTimer> m_answer;
    bool m_dialogSeen = false;
    std::pair<int, int> m_dialogPages{0, 0};
};

// Each way to the command prints the recorded readings through the dialog.
TEST_F(PrintCommand, ShortcutToolbarAndMenuPrintTheReport) {
    Record3Readings();
    struct Way {
        const char* name;
        std::function<void()> go;
    };
    const std::vector<Way> ways = {
        {"ctrl-p", [&] { QTest::keyClick(m_frame.get(), Qt::Key_P, Qt::ControlModifier); }},
        {"toolbar",
         [&] {
             QWidget* button = m_frame->ToolBar()->widgetForAction(m_frame->m_actPrint);
             ASSERT_NE(button, nullptr);
             QTest::mouseClick(button, Qt::LeftButton);
         }},
        {"menu",
         [&] {
             QMenu* file = nullptr;
             for (QAction* a : m_frame->menuBar()->actions()) {
                 if (a->menu() && a->text().remove('&') == "File") file = a->menu();
             }
             ASSERT_NE(file, nullptr);
             ASSERT_TRUE(file->actions().contains(m_frame->m_actPrint));
             m_frame->m_actPrint->trigger();
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const QString pdf = PdfPath(QString("%1.pdf").arg(way.name));
        AnswerPrintDialog(pdf);
        way.go();
        ASSERT_TRUE(WaitFor([&] { return m_dialogSeen && QFileInfo::exists(pdf); }));
        EXPECT_EQ(m_dialogPages, std::make_pair(1, 2));
        EXPECT_TRUE(m_prompts.errors.isEmpty()) << m_prompts.errors.join('\n').toStdString();
        ASSERT_EQ(PdfPageCount(pdf), 2);
        EXPECT_TRUE(PdfText(pdf, 1).contains("70913 Test Report"));
        const auto rows = TableRows(PdfText(pdf, 2));
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0],
                  (QStringList{"1", "23.4", "C", QString::fromStdString(Record().m_strTime[0])}));
        EXPECT_EQ(rows[1][1], "25.0");
        EXPECT_EQ(rows[2][1], "-1.2");
    }
}

TEST_F(PrintCommand, CancelPrintsNothing) {
    Record3Readings();
    AnswerPrintDialog(QString());
    QTest::keyClick(m_frame.get(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return m_dialogSeen; }));
    QTest::qWait(100);
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"*.pdf"}, QDir::Files).isEmpty());
    EXPECT_TRUE(m_prompts.errors.isEmpty());
}

// A loaded file prints its own readings; the record is not touched: the whole
// record still holds the live readings and the loaded series stays as loaded.
TEST_F(PrintCommand, LoadedFilePrintsItsReadingsAndKeepsTheRecord) {
    Record3Readings();
    const QString file = m_dir.filePath("loaded.Mvrlog");
    printtest::WriteDataFile(file, printtest::MakeReadings(35, 5));
    QString error;
    ASSERT_TRUE(m_frame->OpenDocumentFile(file, error)) << error.toStdString();
    ASSERT_EQ(Record().m_bReloaded, 1);
    const MeasurementRecord before = Record();

    const QString pdf = PdfPath("loaded.pdf");
    AnswerPrintDialog(pdf);
    QTest::keyClick(m_frame.get(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(pdf); }));

    ASSERT_EQ(PdfPageCount(pdf), 35 / 30 + 2);
    EXPECT_EQ(m_dialogPages, std::make_pair(1, 3));
    EXPECT_EQ(TableRows(PdfText(pdf, 2)).size(), 30u);
    EXPECT_EQ(TableRows(PdfText(pdf, 3)).size(), 5u);
    EXPECT_EQ(TableRows(PdfText(pdf, 2))[4][1], "----");

    EXPECT_EQ(Record().m_nTotalCount, 3);
    EXPECT_EQ(Record().m_nScreenCount, before.m_nScreenCount);
    EXPECT_EQ(Record().m_fValue, before.m_fValue);
    EXPECT_EQ(Record().m_strUnit, before.m_strUnit);
    EXPECT_EQ(Record().m_strTime, before.m_strTime);
    EXPECT_EQ(Record().m_fScreenValue, before.m_fScreenValue);
    EXPECT_EQ(Record().m_strScreenTime, before.m_strScreenTime);
    EXPECT_EQ(Record().m_bReloaded, 1);
    // Save stays unavailable after a load, printed or not.
    EXPECT_FALSE(m_frame->m_actSave->isEnabled());
}

// Without a reading the command is disabled: Ctrl+P opens no dialog.
TEST_F(PrintCommand, DisabledWithoutReadings) {
    EXPECT_FALSE(m_frame->m_actPrint->isEnabled());
    AnswerPrintDialog(PdfPath("none.pdf"));
    QTest::keyClick(m_frame.get(), Qt::Key_P, Qt::ControlModifier);
    QTest::qWait(300);
    EXPECT_FALSE(m_dialogSeen);
    EXPECT_FALSE(QFileInfo::exists(PdfPath("none.pdf")));
}

}  // namespace
}  // namespace mivora::ui::test
