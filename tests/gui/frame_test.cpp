// The main window driven like a user: real widgets, a pseudo-terminal as the
// serial device, pixels read back from the panels.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <climits>

#include "GuiFixture.h"
#include "platform/gui/HelpViewer.h"
#include "ui/CMivoraApp.h"
#include "ui/UiFonts.h"

namespace mivora::ui::test {
namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// The panel's pixels of `rect` compared with `text` painted the same way on a
// plain fill: says which text the panel shows there.
bool ShowsText(const QImage& panel, const QRect& rect, const QColor& fill, const QFont& font,
               const QPoint& at, const QString& text, const QColor& colour) {
    QImage ref(panel.size(), panel.format());
    ref.fill(Qt::magenta);
    {
        QPainter p(&ref);
        p.setClipRect(rect);
        p.fillRect(rect, fill);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRect(at, QSize(2000, 400)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   text);
    }
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (panel.pixel(x, y) != ref.pixel(x, y)) return false;
    return true;
}

const QRect kRangeRect(322, 134, 126, 19);
// The interval list covers the left end of the lock field (x < 164).
const QRect kLockRect(165, 132, 75, 26);
const QRect kMaxRect(641, 73, 208, 35);
const QRect kMinRect(641, 115, 208, 35);
const QRect kReadingRect(172, 68, 382, 60);
const QPoint kLampPixel(350, 21);

using FrameTest = FrameFixture;

TEST_F(FrameTest, WindowLayoutMenusToolbarAndStatusBar) {
    EXPECT_EQ(m_frame->size(), QSize(865, 700));
    EXPECT_EQ(m_frame->windowTitle(), "Mivora");
    const QRect client = m_frame->ClientRect();
    EXPECT_EQ(client.top(), m_frame->menuBar()->height());
    const int W = client.width(), H = client.height();
    EXPECT_EQ(W, 865);
    const QPoint o = client.topLeft();
    EXPECT_EQ(View().m_barDisplay.geometry(), QRect(o + QPoint(0, 33), QSize(W, 155)));
    EXPECT_EQ(View().m_barAlarm.geometry(), QRect(o + QPoint(0, H - 65), QSize(W - 295, 45)));
    EXPECT_EQ(View().m_barScroll.geometry(), QRect(o + QPoint(W - 312, 200), QSize(20, 350)));
    EXPECT_EQ(View().m_barList.geometry(), QRect(o + QPoint(W - 295, 200), QSize(290, H - 220)));
    for (QWidget* panel :
         {static_cast<QWidget*>(&View().m_barDisplay), static_cast<QWidget*>(&View().m_barList)}) {
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(panel->parentWidget(), m_frame.get());
    }
    // The view lies between toolbar and status bar.
    EXPECT_EQ(View().geometry().top(), m_frame->ToolBar()->geometry().bottom() + 1);
    EXPECT_EQ(View().geometry().bottom() + 1, m_frame->statusBar()->geometry().top());
    EXPECT_EQ(m_frame->statusBar()->height(), 20);

    QStringList menus;
    for (QAction* a : m_frame->menuBar()->actions()) menus << a->text();
    EXPECT_EQ(menus, QStringList({"&File", "&Tools", "&Help"}));

    // Nine 32 x 22 buttons in order, a separator between each two.
    QToolBar* bar = m_frame->ToolBar();
    EXPECT_EQ(bar->iconSize(), QSize(32, 22));
    const QList<QAction*> actions = bar->actions();
    ASSERT_EQ(actions.size(), 17);
    const QList<QAction*> expected = {
        m_frame->m_actSave,        m_frame->m_actOpen,     m_frame->m_actPrint,
        m_frame->m_actSelectCom,   m_frame->m_actOnOff,    m_frame->m_actUndoZoom,
        m_frame->m_actClearScreen, m_frame->m_actClearAll, m_frame->m_actContents};
    for (int i = 0; i < actions.size(); ++i) {
        if (i % 2) {
            EXPECT_TRUE(actions[i]->isSeparator()) << i;
        } else {
            EXPECT_EQ(actions[i], expected[i / 2]) << i;
            EXPECT_FALSE(actions[i]->toolTip().isEmpty());
            EXPECT_FALSE(actions[i]->statusTip().isEmpty());
            EXPECT_FALSE(actions[i]->icon().isNull());
        }
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m_frame->StatusPane(i)->width(), 150) << i;
    EXPECT_EQ(m_frame->StatusPane(0)->text(), "Ready");

    // A status prompt lands in pane 0.
    QStatusTipEvent tip(m_frame->m_actOnOff->statusTip());
    QApplication::sendEvent(m_frame.get(), &tip);
    EXPECT_EQ(m_frame->StatusPane(0)->text(), m_frame->m_actOnOff->statusTip());

    // Nothing recorded: Save, Print and UndoZoom are disabled, the rest enabled.
    EXPECT_FALSE(m_frame->m_actSave->isEnabled());
    EXPECT_FALSE(m_frame->m_actStdSave->isEnabled());
    EXPECT_FALSE(m_frame->m_actPrint->isEnabled());
    EXPECT_FALSE(m_frame->m_actUndoZoom->isEnabled());
    EXPECT_TRUE(m_frame->m_actOnOff->isEnabled());
}

TEST_F(FrameTest, DisplayBeforeTheFirstFrame) {
    const QImage img = GrabDisplay();
    CMeterDisplayBar& d = View().m_barDisplay;
    EXPECT_TRUE(ShowsText(img, kRangeRect, Qt::white, d.m_fontStatus, {330, 132}, "-58 to 1922",
                          Qt::black));
    EXPECT_FALSE(ShowsText(img, kRangeRect, Qt::white, d.m_fontStatus, {330, 132}, "-50 to 1050",
                           Qt::black));
    const QColor face = d.palette().color(QPalette::Button);
    EXPECT_TRUE(ShowsText(img, kLockRect, face, d.m_fontStatus, {173, 132}, "UnLock", Qt::black));
    EXPECT_EQ(img.pixelColor(kLampPixel), kRed);
    // Reading, MAX and MIN are empty: plain black and white.
    EXPECT_EQ(CountColour(img, kReadingRect, Qt::black),
              kReadingRect.width() * kReadingRect.height());
    EXPECT_EQ(CountColour(img, kMaxRect, Qt::white), kMaxRect.width() * kMaxRect.height());
    // The clock strip is black until the first tick.
    EXPECT_EQ(CountColour(img, QRect(387, 10, 295, 23), Qt::black), 295 * 23);
    EXPECT_EQ(d.IntervalList().currentText(), "Auto");
    EXPECT_EQ(d.IntervalList().count(), 12);
}

TEST_F(FrameTest, OnOffBringsFramesIntoPanelAndList) {
    // The toolbar's On/Off button, clicked.
    QWidget* button = m_frame->ToolBar()->widgetForAction(m_frame->m_actOnOff);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(State().m_bOnLine) << m_prompts.errors.join("").toStdString();
    CMeterDisplayBar& d = View().m_barDisplay;
    QImage img = GrabDisplay();
    EXPECT_TRUE(ShowsText(img, QRect(116, 10, 100, 23), QColor(177, 178, 172), d.m_fontCaption,
                          {129, 8}, "OnLine", kBlue));
    SendAndWait(1234);
    ASSERT_EQ(View().m_barList.RowCount(), 1);
    EXPECT_EQ(View().m_barList.CellText(0, 0), "1");
    EXPECT_EQ(View().m_barList.CellText(0, 1), "123.4");
    EXPECT_EQ(View().m_barList.CellText(0, 2), "C");
    EXPECT_EQ(View().m_barList.CellText(0, 3).size(), 17);
    img = GrabDisplay();
    EXPECT_EQ(img.pixelColor(kLampPixel), kBlue);
    EXPECT_GT(CountColour(img, kReadingRect, kRed), 100);
    EXPECT_TRUE(ShowsText(img, kRangeRect, Qt::white, d.m_fontStatus, {330, 132}, "-50 to 1050",
                          Qt::black));
    EXPECT_TRUE(m_frame->m_actSave->isEnabled());
    EXPECT_TRUE(m_frame->m_actPrint->isEnabled());

    SendAndWait(1250, 0);  // Fahrenheit now
    ASSERT_EQ(View().m_barList.RowCount(), 2);
    EXPECT_EQ(View().m_barList.CellText(1, 2), "F");
    img = GrabDisplay();
    EXPECT_TRUE(ShowsText(img, kRangeRect, Qt::white, d.m_fontStatus, {330, 132}, "-58 to 1922",
                          Qt::black));

    m_frame->OnOnOff();
    EXPECT_FALSE(State().m_bOnLine);
    EXPECT_FALSE(m_frame->Link().IsOpen());
    img = GrabDisplay();
    EXPECT_TRUE(ShowsText(img, QRect(116, 10, 100, 23), QColor(177, 178, 172), d.m_fontCaption,
                          {129, 8}, "OffLine", kBlue));
}

// Records the regions the panel is asked to paint.
class PaintSpy : public QObject {
  public:
    explicit PaintSpy(QWidget& w) { w.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
    QRegion painted;
};

TEST_F(FrameTest, AnUnchangedFrameRedrawsOnlyTheLamp) {
    SwitchOn();
    SendAndWait(555);
    QTest::qWait(50);
    PaintSpy spy(View().m_barDisplay);
    SendAndWait(555);
    QTest::qWait(50);
    const QRect lamp = CMeterDisplayBar::AreaRect(DisplayArea::DataInput);
    EXPECT_TRUE(spy.painted.intersects(lamp));
    EXPECT_FALSE(spy.painted.intersects(CMeterDisplayBar::AreaRect(DisplayArea::Reading)));
    EXPECT_FALSE(spy.painted.intersects(CMeterDisplayBar::AreaRect(DisplayArea::Mode)));
    EXPECT_FALSE(spy.painted.intersects(CMeterDisplayBar::AreaRect(DisplayArea::Max)));
    // A new value repaints the reading, and MAX as it rises.
    spy.painted = QRegion();
    SendAndWait(600);
    QTest::qWait(50);
    EXPECT_TRUE(spy.painted.intersects(CMeterDisplayBar::AreaRect(DisplayArea::Reading)));
    EXPECT_TRUE(spy.painted.intersects(CMeterDisplayBar::AreaRect(DisplayArea::Max)));
    EXPECT_FALSE(spy.painted.intersects(CMeterDisplayBar::AreaRect(DisplayArea::Min)));
}

TEST_F(FrameTest, LampTurnsBackOnlyWhenRedrawnAfterTheTick) {
    SwitchOn();
    SendAndWait(500);
    EXPECT_EQ(GrabDisplay().pixelColor(kLampPixel), kBlue);
    View().m_barDisplay.OnTimer();
    EXPECT_FALSE(State().m_bDataBlink);
    EXPECT_FALSE(View().m_barDisplay.ClockText().isEmpty());
    View().m_barDisplay.update();
    EXPECT_EQ(GrabDisplay().pixelColor(kLampPixel), kRed);
}

TEST_F(FrameTest, MaxIsRedOnlyAboveTheHighLimit) {
    CNumEdit& high = View().m_barAlarm.m_editHigh;
    high.selectAll();
    QTest::keyClick(&high, Qt::Key_Backspace);
    QTest::keyClicks(&high, "100");
    EXPECT_EQ(View().m_nAlarmHigh, 100);
    SwitchOn();
    SendAndWait(1000);  // 100.0: equal is inside
    EXPECT_EQ(CountColour(GrabDisplay(), kMaxRect, kRed), 0);
    SendAndWait(1001);
    EXPECT_GT(CountColour(GrabDisplay(), kMaxRect, kRed), 50);
    // MIN is 100.0, far above the low limit of -50: black.
    EXPECT_EQ(CountColour(GrabDisplay(), kMinRect, kRed), 0);
}

TEST_F(FrameTest, LockStateIsShown) {
    SwitchOn();
    SendAndWait(100, kStatusCelsius | kStatusLocked);
    CMeterDisplayBar& d = View().m_barDisplay;
    const QColor face = d.palette().color(QPalette::Button);
    EXPECT_TRUE(
        ShowsText(GrabDisplay(), kLockRect, face, d.m_fontStatus, {173, 132}, "Lock", Qt::black));
}

TEST_F(FrameTest, ClearScreenKeepsTheRecordClearAllEmptiesEverything) {
    SwitchOn();
    for (int raw : {100, 200, 300}) SendAndWait(raw);
    ASSERT_EQ(Record().m_nTotalCount, 3);
    m_frame->m_actClearScreen->trigger();
    EXPECT_EQ(Record().m_nScreenCount, 0);
    EXPECT_EQ(Record().m_nTotalCount, 3);
    EXPECT_EQ(View().m_barList.RowCount(), 3);
    SendAndWait(400);
    EXPECT_EQ(View().m_barList.CellText(3, 0), "4");
    EXPECT_EQ(Record().m_nScreenCount, 1);

    m_frame->m_actClearAll->trigger();
    EXPECT_EQ(Record().m_nTotalCount, 0);
    EXPECT_EQ(View().m_barList.RowCount(), 0);
    const QImage img = GrabDisplay();
    EXPECT_EQ(CountColour(img, kReadingRect, Qt::black),
              kReadingRect.width() * kReadingRect.height());
    EXPECT_EQ(CountColour(img, kMaxRect, kRed), 0);
    EXPECT_FALSE(m_frame->m_actSave->isEnabled());
}

TEST_F(FrameTest, SelectComCountsUpAndWithShiftDown) {
    EXPECT_EQ(State().m_nComPort, 3);
    m_frame->m_actSelectCom->trigger();
    EXPECT_EQ(State().m_nComPort, 4);
    QTest::keyPress(m_frame.get(), Qt::Key_Shift);
    EXPECT_TRUE(m_frame->m_bShiftDown);
    QWidget* button = m_frame->ToolBar()->widgetForAction(m_frame->m_actSelectCom);
    QTest::mouseClick(button, Qt::LeftButton, Qt::ShiftModifier);
    QTest::mouseClick(button, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(State().m_nComPort, 2);
    m_frame->m_actSelectCom->trigger();
    m_frame->m_actSelectCom->trigger();
    EXPECT_EQ(State().m_nComPort, 1);
    QTest::keyRelease(m_frame.get(), Qt::Key_Shift);
    EXPECT_FALSE(m_frame->m_bShiftDown);
    State().m_nComPort = 16;
    m_frame->m_actSelectCom->trigger();
    EXPECT_EQ(State().m_nComPort, 1);
    CMeterDisplayBar& d = View().m_barDisplay;
    EXPECT_TRUE(ShowsText(GrabDisplay(), QRect(16, 10, 95, 23), QColor(177, 178, 172),
                          d.m_fontCaption, {80, 8}, "1", kBlue) ||
                CountColour(GrabDisplay(), QRect(80, 10, 31, 23), kBlue) > 0);
}

TEST_F(FrameTest, SelectComWhileOnlineKeepsThePortAndShowsOffLine) {
    SwitchOn();
    m_frame->OnSelectCom();
    EXPECT_FALSE(State().m_bOnLine);
    EXPECT_TRUE(m_frame->Link().IsOpen());
    SendAndWait(321);
    EXPECT_EQ(View().m_barList.RowCount(), 1);
}

TEST_F(FrameTest, LostDeviceSwitchesTheLinkOffWithAMessage) {
    SwitchOn();
    SendAndWait(100);
    m_pty.Close();  // the meter's cable pulled
    ASSERT_TRUE(WaitFor([&] { return !State().m_bOnLine; }));
    EXPECT_FALSE(m_frame->Link().IsOpen());
    EXPECT_EQ(m_prompts.errors.size(), 1);
    EXPECT_EQ(Record().m_nTotalCount, 1);
}

TEST_F(FrameTest, PortThatCannotBeOpenedIsReportedNamingTheDevice) {
    State().m_nComPort = 5;  // no mapping: the default device, absent here
    m_frame->OnOnOff();
    EXPECT_FALSE(State().m_bOnLine);
    ASSERT_EQ(m_prompts.errors.size(), 1);
    EXPECT_TRUE(m_prompts.errors[0].contains("/dev/ttyS4")) << m_prompts.errors[0].toStdString();
}

TEST_F(FrameTest, IntervalSamplingCommitsOneRowPerTick) {
    QComboBox& list = View().m_barDisplay.IntervalList();
    list.setCurrentIndex(1);
    emit list.activated(1);
    EXPECT_EQ(State().m_nSampleIndex, 1);
    EXPECT_EQ(State().m_nSampleInterval, 2000);
    View().repaint();
    EXPECT_FALSE(State().m_bRestartSampleTimer);
    EXPECT_EQ(View().SampleTimer().interval(), 2000);
    EXPECT_TRUE(View().SampleTimer().isActive());

    SwitchOn();
    for (int raw : {111, 222, 333}) SendAndWait(raw);
    EXPECT_EQ(View().m_barList.RowCount(), 0);
    EXPECT_TRUE(Record().m_bSamplePending);
    View().OnSampleTimer();
    ASSERT_EQ(View().m_barList.RowCount(), 1);
    EXPECT_EQ(View().m_barList.CellText(0, 1), "33.3");
    View().OnSampleTimer();
    EXPECT_EQ(View().m_barList.RowCount(), 1);
    // Auto again: every frame is a row.
    list.setCurrentIndex(0);
    emit list.activated(0);
    SendAndWait(444);
    EXPECT_EQ(View().m_barList.RowCount(), 2);
}

TEST_F(FrameTest, CapacityStopsTheLinkWithTheMessage) {
    SwitchOn();
    Record().m_nTotalCount = 3999;
    Record().m_nScreenCount = 3999;
    SendAndWait(700);
    EXPECT_EQ(Record().m_nTotalCount, 4000);
    EXPECT_FALSE(State().m_bOnLine);
    EXPECT_FALSE(m_frame->Link().IsOpen());
    ASSERT_FALSE(m_prompts.informs.isEmpty());
    EXPECT_TRUE(
        m_prompts.informs[0].startsWith("You have got the max data number,please restart!"));
    EXPECT_EQ(View().m_barList.CellText(0, 0), "4000");
}

TEST_F(FrameTest, FullRecordOnOffCancelledSaveKeepsTheRecordAndTheLinkOff) {
    Record().m_nTotalCount = 4000;
    m_prompts.answerYes = true;  // save? yes - then the dialog is cancelled
    m_frame->OnOnOff();
    EXPECT_EQ(m_prompts.questions, QStringList({"Do you want to save? "}));
    EXPECT_EQ(Record().m_nTotalCount, 4000);
    EXPECT_FALSE(State().m_bOnLine);

    m_prompts.answerYes = false;  // No: emptied, link on
    m_frame->OnOnOff();
    EXPECT_EQ(Record().m_nTotalCount, 0);
    EXPECT_TRUE(State().m_bOnLine);
}

TEST_F(FrameTest, SaveCancelWritesNothing) {
    QTemporaryDir cwd;
    const QString before = QDir::currentPath();
    QDir::setCurrent(cwd.path());
    SwitchOn();
    SendAndWait(100);
    SendAndWait(200);
    EXPECT_EQ(m_frame->OnSave(), CMainFrame::SaveOutcome::Cancelled);
    ASSERT_EQ(m_prompts.proposedSaves.size(), 1);
    EXPECT_TRUE(m_prompts.proposedSaves[0].endsWith(".Mvrlog"));
    EXPECT_TRUE(m_prompts.proposedSaves[0].startsWith(cwd.path()));
    EXPECT_EQ(m_prompts.filters[0], "DataLogger Files (*.Mvrlog)");
    EXPECT_TRUE(QDir(cwd.path()).entryList(QDir::Files).isEmpty());
    QDir::setCurrent(before);
}

TEST_F(FrameTest, SaveThenOpenRefillsTheListAndDisablesSave) {
    SwitchOn();
    SendAndWait(1234);
    SendAndWait(125, kStatusNegative | kStatusLogRecord, 8);  // logged, no value
    SendAndWait(300);
    m_frame->OnOnOff();
    const QString path = m_dir.filePath("run.Mvrlog");
    m_prompts.savePath = path;
    EXPECT_EQ(m_frame->OnSave(), CMainFrame::SaveOutcome::Saved);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QDir(m_dir.path()).entryList({"*.txt"}, QDir::Files).size(), 1);

    m_frame->OnClearAll();
    m_prompts.openPath = path;
    m_frame->OnOpen();
    EXPECT_TRUE(m_prompts.errors.isEmpty()) << m_prompts.errors.join("").toStdString();
    ASSERT_EQ(View().m_barList.RowCount(), 3);
    EXPECT_EQ(View().m_barList.CellText(0, 1), "123.4");
    EXPECT_EQ(View().m_barList.CellText(1, 1), "----");
    EXPECT_EQ(View().m_barList.CellText(2, 0), "3");
    EXPECT_EQ(Record().m_bReloaded, 1);
    EXPECT_EQ(Record().m_nScreenCount, 3);
    EXPECT_FALSE(m_frame->m_actSave->isEnabled());
    EXPECT_FALSE(m_frame->m_actStdSave->isEnabled());
    EXPECT_TRUE(m_frame->m_actPrint->isEnabled());

    // The keyboard's Save follows the same rule: nothing overwrites the file.
    const QByteArray bytes = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QTest::keySequence(m_frame.get(), QKeySequence(Qt::CTRL | Qt::Key_S));
    m_frame->OnStandardSave();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);
    EXPECT_EQ(m_prompts.proposedSaves.size(), 1);
}

TEST_F(FrameTest, FailedOpenIsReportedAndChangesNothing) {
    SwitchOn();
    SendAndWait(100);
    const QString bad = m_dir.filePath("bad.Mvrlog");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\x05\x00\x00\x00\x01", 5);  // five readings promised, none there
    }
    m_prompts.openPath = bad;
    m_frame->OnOpen();
    ASSERT_EQ(m_prompts.errors.size(), 1);
    EXPECT_TRUE(m_prompts.errors[0].contains("bad.Mvrlog"));
    EXPECT_EQ(View().m_barList.RowCount(), 1);
    EXPECT_EQ(Record().m_nScreenCount, 1);
    EXPECT_EQ(Record().m_bReloaded, 0);

    m_prompts.openPath = m_dir.filePath("missing.Mvrlog");
    m_frame->OnOpen();
    EXPECT_EQ(m_prompts.errors.size(), 2);
}

TEST_F(FrameTest, FailedSaveIsReported) {
    SwitchOn();
    SendAndWait(100);
    m_prompts.savePath = m_dir.filePath("no/such/folder/x.Mvrlog");
    EXPECT_EQ(m_frame->OnSave(), CMainFrame::SaveOutcome::Failed);
    ASSERT_EQ(m_prompts.errors.size(), 1);
    EXPECT_TRUE(m_prompts.errors[0].contains("x.Mvrlog") ||
                m_prompts.errors[0].contains("no/such/folder"))
        << m_prompts.errors[0].toStdString();
}

TEST_F(FrameTest, CloseWritesTheSixSettingsAndKeepsThePortMap) {
    CNumEdit& low = View().m_barAlarm.m_editLow;
    low.selectAll();
    QTest::keyClicks(&low, "-20");
    State().m_nComPort = 7;
    View().m_barAlarm.m_comboLine.setCurrentIndex(5);
    emit View().m_barAlarm.m_comboLine.activated(5);
    m_frame->OnOnOff();  // port 7 has no mapping: fails, stays off
    EXPECT_FALSE(State().m_bOnLine);
    EXPECT_TRUE(m_frame->close());
    EXPECT_TRUE(m_prompts.questions.isEmpty());
    const QString text = ReadSettingsText();
    EXPECT_TRUE(text.contains("COM3=" + QString::fromStdString(m_pty.SlavePath())));
    const QStringList order = {"COM num=7",   "SAMPRATE=0", "ALARMHI=150",
                               "ALARMLO=-20", "BGColor=14", "LineColor=5"};
    int last = -1;
    for (const QString& key : order) {
        const int at = text.indexOf(key);
        EXPECT_GT(at, last) << key.toStdString() << "\n" << text.toStdString();
        last = at;
    }
}

TEST_F(FrameTest, CloseAsksToSaveAndACancelledSaveKeepsTheWindow) {
    SwitchOn();
    SendAndWait(100);
    EXPECT_TRUE(m_frame->close());  // one reading: no question
    EXPECT_TRUE(m_prompts.questions.isEmpty());
    m_frame->show();
    Record().m_nTotalCount = 2;
    m_prompts.answerYes = true;
    EXPECT_FALSE(m_frame->close());
    EXPECT_EQ(m_prompts.questions, QStringList({"Do you want to save? "}));
    EXPECT_TRUE(m_frame->isVisible());
    m_prompts.answerYes = false;
    EXPECT_TRUE(m_frame->close());
}

TEST_F(FrameTest, EscapeEnterAndLeftArrowDoNothing) {
    QComboBox& list = View().m_barDisplay.IntervalList();
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Escape);
    QTest::keyClick(&list, Qt::Key_Return);
    QTest::keyClick(&View().m_barDisplay, Qt::Key_Left);
    QTest::keyClick(&View().m_barList.List(), Qt::Key_Return);
    QTest::keyClick(&View().m_barAlarm.m_editHigh, Qt::Key_Escape);
    EXPECT_TRUE(m_frame->isVisible());
    EXPECT_TRUE(m_prompts.informs.isEmpty());
    EXPECT_TRUE(m_prompts.errors.isEmpty());
    EXPECT_EQ(View().m_barAlarm.m_editHigh.text(), "150");
}

TEST_F(FrameTest, LimitEditsFilterCharactersAndIgnoreEditKeys) {
    CNumEdit& high = View().m_barAlarm.m_editHigh;
    high.clear();
    EXPECT_EQ(View().m_nAlarmHigh, 0);  // an empty edit is 0 at once
    QTest::keyClicks(&high, "a1-2 .3+x4");
    EXPECT_EQ(high.text(), "1-2.34");
    EXPECT_EQ(View().m_nAlarmHigh, 1);
    QApplication::clipboard()->setText("999");
    QTest::keyClick(&high, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&high, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(&high, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&high, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(high.text(), "1-2.34");

    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"12.7", 12}, {"-", 0}, {"-50", -50}, {"99999999999", INT_MAX}, {"-99999999999", INT_MIN},
        {"  42x", 42}};
    CNumEdit& low = View().m_barAlarm.m_editLow;
    for (const Case& c : cases) {
        low.setText(c.text);
        EXPECT_EQ(View().m_nAlarmLow, c.value) << c.text;
        EXPECT_EQ(View().m_barAlarm.m_nLowValue, c.value) << c.text;
        EXPECT_EQ(View().m_nAlarmHigh, 1) << "the other limit is re-applied";
    }
}

TEST_F(FrameTest, ColourListsDriveTheGraphBackground) {
    CColorComboBox& bg = View().m_barAlarm.m_comboBg;
    EXPECT_EQ(bg.count(), 14);
    EXPECT_EQ(bg.currentIndex(), -1);
    EXPECT_EQ(bg.GetSelectedColor(), kColorError);
    EXPECT_EQ(View().BackgroundColor(), QColor(Qt::white));
    EXPECT_EQ(View().grab().toImage().pixelColor(100, 250), QColor(Qt::white));
    bg.FillColors(0);
    EXPECT_EQ(bg.count(), 14) << "filling twice adds no duplicates";
    EXPECT_EQ(bg.AddColor(0x0000FF, "Red again"), -1);
    emit bg.activated(0);
    EXPECT_EQ(m_frame->m_nBgColor, 0);
    EXPECT_EQ(View().grab().toImage().pixelColor(100, 250), QColor(255, 0, 0));
    bg.setCurrentIndex(8);
    emit bg.activated(8);
    EXPECT_EQ(View().grab().toImage().pixelColor(100, 250), QColor(0, 0, 128));
    EXPECT_EQ(View().m_barAlarm.m_comboLine.GetSelectedColor(), 0xFF0000u);  // Blue
    EXPECT_EQ(View().LineColor(), QColor(0, 0, 255));
    EXPECT_FALSE(View().m_barAlarm.m_scrollBar.isEnabled());
    // The list items are drawn with their swatch.
    QImage item(120, 20, QImage::Format_RGB32);
    {
        QPainter p(&item);
        bg.DrawItem(p, item.rect(), 3, false, false);
    }
    EXPECT_EQ(item.pixelColor(6, 10), QColor(255, 255, 0));
}

TEST_F(FrameTest, ValueScrollBarRules) {
    QScrollBar& bar = View().m_barScroll.Bar();
    EXPECT_EQ(View().m_nValueScrollPos, 72);
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 72);
    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(View().m_nValueScrollPos, 72);
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(View().m_nValueScrollPos, 71);
    EXPECT_EQ(bar.value(), 71);
    bar.triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(View().m_nValueScrollPos, 0);
    bar.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(View().m_nValueScrollPos, 0);
    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(View().m_nValueScrollPos, 72);
    EXPECT_EQ(ValueScrollAfter(40, QAbstractSlider::SliderMove, 13), 13);
    EXPECT_EQ(ValueScrollAfter(40, QAbstractSlider::SliderToMinimum, 13), 40);
}

TEST_F(FrameTest, ReadingListColumns) {
    QTableWidget& list = View().m_barList.List();
    const QStringList titles = {"NO.", "DATA", "UNIT", "TIME"};
    const int widths[] = {44, 55, 43, 150};
    ASSERT_EQ(list.columnCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.horizontalHeaderItem(i)->text(), titles[i]);
        EXPECT_EQ(list.columnWidth(i), widths[i]);
    }
    EXPECT_TRUE(list.showGrid());
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list.rowCount(), 0);
    SwitchOn();
    for (int i = 0; i < 40; ++i) SendAndWait(100 + i);
    // The last row was scrolled fully into view.
    QApplication::processEvents();
    const QRect last = list.visualItemRect(list.item(39, 0));
    EXPECT_TRUE(list.viewport()->rect().contains(last))
        << last.y() << "+" << last.height() << " in " << list.viewport()->height();
}

TEST_F(FrameTest, AboutBoxAndHelp) {
    std::unique_ptr<QDialog> box = m_frame->CreateAboutBox();
    EXPECT_EQ(box->windowTitle(), "About Mivora");
    auto* text = box->findChild<QLabel*>("AboutText");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), "Mivora Version 1.0");
    EXPECT_EQ(mivora::JoinHelpPath("/", "help.html"), "/help.html");
    EXPECT_EQ(mivora::JoinHelpPath("/opt/mivora", "help.html"), "/opt/mivora/help.html");
    mivora::HelpViewer viewer;
    const QString page = m_dir.filePath("help.html");
    {
        QFile f(page);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<html><body><h1>Manual</h1></body></html>");
    }
    EXPECT_TRUE(viewer.Load(page));
    EXPECT_TRUE(viewer.Browser()->toPlainText().contains("Manual"));
    EXPECT_FALSE(viewer.Load(m_dir.filePath("none.html")));
}

TEST_F(FrameTest, StandardNewClearsNothingStandardSaveWritesTheDataFileOnly) {
    SwitchOn();
    SendAndWait(100);
    SendAndWait(200);
    m_frame->m_actStdNew->trigger();
    EXPECT_EQ(Record().m_nTotalCount, 2);
    EXPECT_EQ(View().m_barList.RowCount(), 2);
    EXPECT_TRUE(View().SampleTimer().isActive());
    EXPECT_TRUE(m_prompts.questions.isEmpty());

    const QString path = m_dir.filePath("std.Mvrlog");
    m_prompts.savePath = path;
    m_frame->m_actStdSave->trigger();
    ASSERT_EQ(m_prompts.proposedSaves.size(), 1);
    EXPECT_TRUE(m_prompts.proposedSaves[0].endsWith("Untitled"));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"*.txt"}, QDir::Files).isEmpty());
    const qint64 before = QFileInfo(path).size();
    SendAndWait(300);
    m_frame->m_actStdSave->trigger();  // written there again, no dialog
    EXPECT_EQ(m_prompts.proposedSaves.size(), 1);
    EXPECT_EQ(QFileInfo(path).size(), before + 4 + 2 + 18);
}

TEST_F(FrameTest, HelpContentsShowsTheManualBesideTheProgram) {
    m_frame->m_actContents->trigger();
    auto* viewer = m_frame->findChild<mivora::HelpViewer*>();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains("Serial ports and device names"))
        << mivora::HelpFilePath().toStdString();
}

TEST(CommandLine, StandardRules) {
    CommandLineInfo none = ParseCommandLine({});
    EXPECT_EQ(none.shell, CommandLineInfo::Shell::FileNew);
    CommandLineInfo open = ParseCommandLine({"/data/a.Mvrlog"});
    EXPECT_EQ(open.shell, CommandLineInfo::Shell::FileOpen);
    EXPECT_EQ(open.fileName, "/data/a.Mvrlog");
    EXPECT_EQ(ParseCommandLine({"/p", "a.Mvrlog"}).shell, CommandLineInfo::Shell::FilePrint);
    CommandLineInfo to = ParseCommandLine({"/pt", "a.Mvrlog", "Printer"});
    EXPECT_EQ(to.shell, CommandLineInfo::Shell::FilePrintTo);
    EXPECT_EQ(to.printTo, QStringList({"Printer"}));
    EXPECT_EQ(ParseCommandLine({"-P", "b.Mvrlog"}).shell, CommandLineInfo::Shell::FilePrint);
    // A path that starts with '/' is a path.
    CommandLineInfo root = ParseCommandLine({"/tmp"});
    EXPECT_EQ(root.shell, CommandLineInfo::Shell::FileOpen);
    EXPECT_EQ(root.fileName, "/tmp");
}

TEST(Application, UnreadableFileOnTheCommandLineEndsWithoutAWindow) {
    QTemporaryDir dir;
    qputenv("MIVORA_CONFIG_DIR", dir.path().toLocal8Bit());
    ScriptedPrompts prompts;
    CMivoraApp app;
    EXPECT_FALSE(app.InitInstance({dir.filePath("missing.Mvrlog")}, &prompts));
    EXPECT_EQ(app.MainFrame(), nullptr);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("missing.Mvrlog"));
    qunsetenv("MIVORA_CONFIG_DIR");
}

TEST(Application, StartsWithTheFileLoadedAndTheWindowShown) {
    QTemporaryDir dir;
    qputenv("MIVORA_CONFIG_DIR", dir.path().toLocal8Bit());
    qputenv("TZ", "UTC");
    // 123.4 C, as the data file holds one reading.
    mivora::MeasurementRecord record;
    mivora::MeterState state;
    record.m_nTotalCount = 1;
    record.m_fValue[0] = 123.4f;
    record.m_strUnit[0] = "C";
    record.m_strTime[0] = "04-15-07/10:20:30";
    state.m_strMaxText = state.m_strMinText = "123.4";
    const std::vector<std::uint8_t> bytes = mivora::EncodeDataFile(record, state);
    const QString path = dir.filePath("one.Mvrlog");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    ScriptedPrompts prompts;
    CMivoraApp app;
    ASSERT_TRUE(app.InitInstance({path}, &prompts));
    ASSERT_NE(app.MainFrame(), nullptr);
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_EQ(app.Document().Record().m_nScreenCount, 1);
    EXPECT_EQ(app.Document().Record().m_bReloaded, 1);
    EXPECT_EQ(app.MainFrame()->View().m_barList.RowCount(), 0) << "no list refill";
    qunsetenv("MIVORA_CONFIG_DIR");
}

}  // namespace
}  // namespace mivora::ui::test
