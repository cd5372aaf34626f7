#include "ui/CMeterDisplayBar.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <ctime>

#include "record/TimeText.h"
#include "ui/CMVView.h"
#include "ui/UiFonts.h"

namespace mivora::ui {

namespace {

const QColor kGrey(177, 178, 172);
const QColor kDarkCyan(95, 158, 160);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// Group boxes of the panel template, in dialog units (x, y, width, height).
struct DuRect {
    int x, y, w, h;
};
const DuRect kGroupBoxes[] = {
    {280, 29, 145, 49}, {7, 14, 78, 19},    {7, 0, 50, 18},     {109, 0, 83, 18},
    {192, 0, 151, 18},  {85, 14, 194, 19},  {280, 14, 145, 19}, {7, 29, 78, 22},
    {7, 47, 78, 19},    {85, 29, 194, 37},  {7, 62, 34, 16},    {85, 62, 37, 16},
    {122, 62, 37, 16},  {159, 62, 67, 16},  {226, 62, 34, 16},  {260, 62, 19, 16},
    {319, 31, 105, 25}, {319, 52, 105, 25}, {57, 0, 52, 18},
};

bool IsSwallowedKey(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

CMeterDisplayBar::CMeterDisplayBar(QWidget* parent, CMVView& view, int intervalIndex)
    : QWidget(parent), m_view(view), m_cmbInterval(this), m_timer(this) {
    setObjectName("DisplayBar");
    hide();
    setAttribute(Qt::WA_OpaquePaintEvent);
    view.State().m_nIntervalIndex = intervalIndex;

    for (const std::string& name : mivora::IntervalNames()) m_cmbInterval.addItem(Q(name));
    m_cmbInterval.setGeometry(82, 132, 82, 24);
    m_cmbInterval.setMaxVisibleItems(12);
    m_cmbInterval.setCurrentIndex(
        intervalIndex >= 0 && intervalIndex < m_cmbInterval.count() ? intervalIndex : -1);
    m_cmbInterval.installEventFilter(this);
    connect(&m_cmbInterval, qOverload<int>(&QComboBox::activated), this,
            &CMeterDisplayBar::OnSelendokInterval);

    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &CMeterDisplayBar::OnTimer);
    m_timer.start();

    m_fontReading = ArialFont(65);
    m_fontCaption = ArialBlackFont(19);
    m_fontValue = ArialBlackFont(30, 13);
    m_fontStatus = ArialBlackFont(16);
    m_fontClock = ArialFont(27, 14);
}

QRect CMeterDisplayBar::AreaRect(mivora::DisplayArea area) {
    const mivora::AreaRect r = mivora::DisplayAreaRect(area);
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

void CMeterDisplayBar::InvalidateArea(mivora::DisplayArea area) {
    update(AreaRect(area));
}

void CMeterDisplayBar::PaintGroupBoxes(QPainter& p) const {
    const QColor shadow = palette().color(QPalette::Mid);
    const QColor light = palette().color(QPalette::Light);
    p.setBrush(Qt::NoBrush);
    for (const DuRect& du : kGroupBoxes) {
        // Empty-titled group box: the etched frame starts half a text line down.
        const QRect r(du.x * 2, du.y * 2 + 8, du.w * 2 - 1, du.h * 2 - 9);
        p.setPen(shadow);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(light);
        p.drawRect(r.adjusted(1, 1, 0, 0));
    }
}

void CMeterDisplayBar::paintEvent(QPaintEvent* event) {
    const mivora::MeterState& s = m_view.State();
    QPainter p(this);
    p.setClipRegion(event->region());
    const QColor face = palette().color(QPalette::Button);
    p.fillRect(event->rect(), face);
    PaintGroupBoxes(p);

    auto text = [&p](int x, int y, const QString& t) {
        // A text position is the top-left corner of its cell.
        p.drawText(QRect(x, y, 2000, 400), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, t);
    };

    // 1. Link and lamp strip.
    p.fillRect(116, 10, 100, 23, kGrey);
    p.fillRect(220, 10, 161, 23, kGrey);
    p.fillRect(387, 10, 295, 23, Qt::black);
    p.fillRect(16, 10, 95, 23, kGrey);
    // 2.
    p.setFont(m_fontCaption);
    p.setPen(kBlue);
    text(29, 8, "COM");
    text(80, 8, QString::number(s.m_nComPort));
    text(129, 8, s.m_bOnLine ? "OnLine" : "OffLine");
    text(228, 8, "DataInput");
    // 3.
    p.fillRect(342, 13, 17, 17, s.m_bDataBlink ? kBlue : kRed);
    // 4.
    p.fillRect(16, 38, 150, 25, kDarkCyan);
    p.fillRect(172, 38, 383, 25, kDarkCyan);
    p.fillRect(560, 38, 283, 25, kDarkCyan);
    // 5.
    p.setPen(Qt::white);
    text(50, 38, "Emissivity");
    text(325, 38, "DATA");
    text(656, 38, "MAX/MIN");
    // 6.
    p.fillRect(16, 68, 150, 30, Qt::black);
    p.fillRect(172, 68, 382, 60, Qt::black);
    // 7.
    p.setFont(m_fontReading);
    p.setPen(kRed);
    text(200, 60, Q(s.m_strReading));
    text(415, 60, Q(s.m_strUnitText));
    // 8.
    p.fillRect(641, 73, 208, 35, Qt::white);
    p.fillRect(641, 115, 208, 35, Qt::white);
    // 9.
    p.setFont(m_fontCaption);
    p.setPen(Qt::black);
    text(580, 80, "MAX:");
    text(580, 120, "MIN:");
    // 10. Equality counts as inside the limits.
    p.setFont(m_fontValue);
    p.setPen(static_cast<float>(m_view.m_nAlarmHigh) < s.m_fDisplayMax ? kRed : QColor(Qt::black));
    text(680, 70, Q(s.m_strMaxText));
    p.setPen(static_cast<float>(m_view.m_nAlarmLow) > s.m_fDisplayMin ? kRed : QColor(Qt::black));
    text(680, 110, Q(s.m_strMinText));
    // 11.
    p.fillRect(65, 104, 98, 38, face);
    // 12.
    p.setPen(kRed);
    text(65, 94, Q(s.m_strMode));
    text(65, 60, Q(s.m_strEmissivity));
    // 13.
    p.setFont(m_fontStatus);
    p.setPen(Qt::black);
    text(25, 132, "Time:");
    // 14.
    p.fillRect(150, 132, 90, 26, face);
    text(173, 132, s.m_bLocked ? "Lock" : "UnLock");
    // 15.
    p.setPen(kBlue);
    text(250, 132, "Range:");
    text(460, 132, "UNIT:");
    // 16.
    p.fillRect(322, 134, 126, 19, Qt::white);
    p.fillRect(522, 134, 34, 19, Qt::white);
    // 17.
    p.setPen(Qt::black);
    if (s.m_strUnitText == "C") {
        text(530, 132, "C");
        text(330, 132, "-50 to 1050");
    } else {
        text(530, 132, "F");
        text(330, 132, "-58 to 1922");
    }
    // 18.
    p.setFont(m_fontClock);
    p.setPen(kYellow);
    text(373, 6, m_strClock);
}

void CMeterDisplayBar::OnTimer() {
    m_strClock = QString::fromStdString(mivora::FormatLocalTime(
        static_cast<mivora::TimeStamp>(std::time(nullptr)), "   %m-%d-%y  %H:%M:%S"));
    // Only the clock strip and the text over it are drawn again.
    const QRect textRect = QFontMetrics(m_fontClock)
                               .boundingRect(m_strClock)
                               .translated(373, 6 + QFontMetrics(m_fontClock).ascent());
    update(QRect(387, 10, 295, 23).united(textRect));
    m_view.State().m_bDataBlink = false;
}

void CMeterDisplayBar::OnSelendokInterval(int index) {
    m_view.SelectInterval(index);
}

void CMeterDisplayBar::keyPressEvent(QKeyEvent* event) {
    if (IsSwallowedKey(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool CMeterDisplayBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_cmbInterval && IsSwallowedKey(event)) return true;
    return QWidget::eventFilter(watched, event);
}

}  // namespace mivora::ui
