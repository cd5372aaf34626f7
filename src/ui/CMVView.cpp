#include "ui/CMVView.h"

#include <QPainter>

#include "ui/CMVDoc.h"
#include "ui/CMainFrame.h"

namespace mivora::ui {

CMVView::CMVView(CMainFrame& frame, CMVDoc& doc, const ViewSettings& settings)
    : QWidget(&frame),
      m_frame(frame),
      m_doc(doc),
      m_barAlarm(&frame, *this, settings.nAlarmHigh, settings.nAlarmLow),
      m_barDisplay(&frame, *this, settings.nSampleRate),
      m_barScroll(&frame, *this),
      m_barList(&frame),
      m_nAlarmHigh(settings.nAlarmHigh),
      m_nAlarmLow(settings.nAlarmLow),
      m_sampleTimer(this) {
    setObjectName("View");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    m_barAlarm.OnInitDialog(settings.nBgColor, settings.nLineColor);
    m_doc.SetView(this);
    mivora::MeasurementRecord& r = Record();
    r.m_nScreenCount = 0;
    r.m_nTotalCount = 0;
    r.m_nMaxCount = mivora::kMaxCount;
    r.m_fMax = -100.0f;
    r.m_fMin = 2000.0f;
    r.m_fScreenValue[0] = -500.0f;
    connect(&m_sampleTimer, &QTimer::timeout, this, &CMVView::OnSampleTimer);
}

CMVView::~CMVView() {
    m_doc.SetView(nullptr);
}

mivora::MeasurementRecord& CMVView::Record() {
    return m_doc.Record();
}
const mivora::MeasurementRecord& CMVView::Record() const {
    return m_doc.Record();
}
mivora::MeterState& CMVView::State() {
    return m_frame.State();
}
const mivora::MeterState& CMVView::State() const {
    return m_frame.State();
}

void CMVView::OnSize() {
    const QRect client = m_frame.ClientRect();
    const int W = client.width();
    const int H = client.height();
    const QPoint o = client.topLeft();
    auto place = [&o](QWidget& w, int x, int y, int cx, int cy) {
        w.setGeometry(o.x() + x, o.y() + y, cx, cy);
        w.raise();
        w.show();
    };
    place(m_barDisplay, 0, 33, W, 155);
    place(m_barAlarm, 0, H - 65, W - 295, 45);
    place(m_barScroll, W - 312, 200, 20, 350);
    place(m_barList, W - 295, 200, 290, H - 220);
}

void CMVView::resizeEvent(QResizeEvent* /*event*/) {
    OnSize();
}

void CMVView::OnInitialUpdate() {
    OnSize();
    m_sampleTimer.start(State().m_nSampleInterval);
    UpdateCommandStates();
}

void CMVView::OnUpdate() {
    update();
    UpdateCommandStates();
}

void CMVView::SelectInterval(int index) {
    m_frame.Acquisition().SelectInterval(index);
}

void CMVView::OnSampleTimer() {
    m_frame.Acquisition().OnSampleTick();
}

bool CMVView::CanSave() const {
    return Record().m_nTotalCount != 0 && Record().m_bReloaded == 0;
}

bool CMVView::CanPrint() const {
    return Record().m_nScreenCount != 0 || Record().m_nTotalCount != 0;
}

bool CMVView::CanUndoZoom() const {
    return false;
}

void CMVView::UpdateCommandStates() {
    m_frame.SetCommandStates(CanSave(), CanPrint(), CanUndoZoom());
}

void CMVView::OnUndoZoom() {
    OnUpdate();
}

void CMVView::OnFilePrint() {}

QColor CMVView::BackgroundColor() const {
    const ColorRef ref = m_barAlarm.m_comboBg.GetSelectedColor();
    return ref == kColorError ? QColor(Qt::white) : ColorFromRef(ref);
}

QColor CMVView::LineColor() const {
    const ColorRef ref = m_barAlarm.m_comboLine.GetSelectedColor();
    return ref == kColorError ? QColor(Qt::black) : ColorFromRef(ref);
}

void CMVView::PrepareRepaint() {
    mivora::MeterState& s = State();
    if (s.m_bRestartSampleTimer) {
        m_sampleTimer.start(s.m_nSampleInterval);
        s.m_bRestartSampleTimer = false;
    }
    if (m_bAlarmHighFromBar) m_nAlarmHigh = m_barAlarm.m_nHighValue;
    if (m_bAlarmLowFromBar) m_nAlarmLow = m_barAlarm.m_nLowValue;
    m_barScroll.ShowPosition(m_nValueScrollPos);
}

void CMVView::paintEvent(QPaintEvent* /*event*/) {
    PrepareRepaint();
    QPainter painter(this);
    paintGraph(painter);
}

void CMVView::paintGraph(QPainter& painter) {
    painter.fillRect(rect(), BackgroundColor());
}

}  // namespace mivora::ui
