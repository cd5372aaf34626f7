#include "ui/CAlarmColorBar.h"

#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>

#include "ui/CMVView.h"
#include "ui/CMainFrame.h"
#include "ui/UiFonts.h"

namespace mivora::ui {

namespace {
// Dialog units are two pixels each way.
QRect Du(int x, int y, int w, int h) {
    return QRect(x * 2, y * 2, w * 2, h * 2);
}

bool IsSwallowedKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}
}  // namespace

CAlarmColorBar::CAlarmColorBar(QWidget* parent, CMVView& view, int alarmHigh, int alarmLow)
    : QWidget(parent),
      m_comboLine(this),
      m_comboBg(this),
      m_editLow(this),
      m_editHigh(this),
      m_scrollBar(Qt::Horizontal, this),
      m_nHighValue(alarmHigh),
      m_nLowValue(alarmLow),
      m_view(view),
      m_labelHigh("AlarmHI:", this),
      m_labelLow("Lo:", this),
      m_labelBg("BGColor", this),
      m_labelLine("LineColor", this) {
    setObjectName("AlarmBar");
    hide();
    m_scrollBar.setGeometry(Du(0, 0, 280, 8));
    m_labelHigh.setGeometry(Du(180, 10, 28, 11));
    m_editHigh.setGeometry(Du(208, 9, 30, 12));
    m_labelLow.setGeometry(Du(239, 10, 11, 11));
    m_editLow.setGeometry(Du(250, 9, 30, 12));
    m_comboBg.setGeometry(Du(29, 9, 58, 12));
    m_labelBg.setGeometry(Du(0, 11, 28, 10));
    m_labelLine.setGeometry(Du(89, 11, 32, 10));
    m_comboLine.setGeometry(Du(121, 9, 58, 12));
    m_editHigh.setObjectName("AlarmHigh");
    m_editLow.setObjectName("AlarmLow");
    m_comboBg.setObjectName("BgColor");
    m_comboLine.setObjectName("LineColor");
    m_comboBg.setMaxVisibleItems(14);
    m_comboLine.setMaxVisibleItems(14);

    // The template fills the edits without raising change notifications.
    {
        const QSignalBlocker b1(m_editHigh), b2(m_editLow);
        m_editHigh.setText(QString::number(m_nHighValue));
        m_editLow.setText(QString::number(m_nLowValue));
    }
    connect(&m_editHigh, &QLineEdit::textChanged, this, &CAlarmColorBar::OnChangeAlarmHigh);
    connect(&m_editLow, &QLineEdit::textChanged, this, &CAlarmColorBar::OnChangeAlarmLow);
    connect(&m_comboBg, qOverload<int>(&QComboBox::activated), this,
            &CAlarmColorBar::OnSelchangeBgColor);
    connect(&m_comboLine, qOverload<int>(&QComboBox::activated), this,
            &CAlarmColorBar::OnSelchangeLineColor);
    for (QWidget* w : {static_cast<QWidget*>(&m_editHigh), static_cast<QWidget*>(&m_editLow),
                       static_cast<QWidget*>(&m_comboBg), static_cast<QWidget*>(&m_comboLine)})
        w->installEventFilter(this);
}

void CAlarmColorBar::OnInitDialog(int bgColor, int lineColor) {
    m_fontCombo = ArialFont(11);
    CMainFrame& frame = m_view.Frame();
    frame.m_nBgColor = bgColor;
    frame.m_nLineColor = lineColor;
    m_comboBg.FillColors(frame.m_nBgColor);
    m_comboLine.FillColors(frame.m_nLineColor);
    m_comboBg.setFont(m_fontCombo);
    m_comboLine.setFont(m_fontCombo);
    m_scrollBar.setEnabled(false);
}

void CAlarmColorBar::OnChangeAlarmHigh() {
    m_view.m_bAlarmHighFromBar = false;
    const int value = ParseLimitText(m_editHigh.text().toStdString());
    m_view.m_nAlarmHigh = value;
    m_nHighValue = value;
    m_view.m_nAlarmLow = m_nLowValue;
    ApplyLimits();
}

void CAlarmColorBar::OnChangeAlarmLow() {
    m_view.m_bAlarmLowFromBar = false;
    const int value = ParseLimitText(m_editLow.text().toStdString());
    m_view.m_nAlarmLow = value;
    m_nLowValue = value;
    m_view.m_nAlarmHigh = m_nHighValue;
    ApplyLimits();
}

void CAlarmColorBar::ApplyLimits() {
    m_view.m_barDisplay.update();
    m_view.OnUpdate();
}

void CAlarmColorBar::OnSelchangeBgColor() {
    m_view.Frame().m_nBgColor = m_comboBg.currentIndex();
    m_view.OnUpdate();
}

void CAlarmColorBar::OnSelchangeLineColor() {
    m_view.Frame().m_nLineColor = m_comboLine.currentIndex();
    m_view.OnUpdate();
}

void CAlarmColorBar::paintEvent(QPaintEvent* /*event*/) {
    // Modal-frame dialog: a raised double border.
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
}

bool CAlarmColorBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && IsSwallowedKey(event)) return true;
    return QWidget::eventFilter(watched, event);
}

void CAlarmColorBar::keyPressEvent(QKeyEvent* event) {
    if (IsSwallowedKey(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace mivora::ui
