#include "ui/CMVView.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "ui/CMVDoc.h"
#include "ui/CMainFrame.h"
#include "ui/ReportPrinter.h"

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
      m_sampleTimer(this),
      m_graph(std::make_unique<mivora::GraphState>()),
      m_dragTimer(this) {
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
    m_dragTimer.setInterval(10);
    connect(&m_dragTimer, &QTimer::timeout, this, &CMVView::OnDragWatch);
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
    return m_graph->g_bNotZoomed == 0;
}

void CMVView::UpdateCommandStates() {
    m_frame.SetCommandStates(CanSave(), CanPrint(), CanUndoZoom());
}

void CMVView::OnUndoZoom() {
    ApplyMouseResult(mivora::OnUndoZoom(*m_graph));
}

void CMVView::OnFilePrint() {
    if (!CanPrint()) return;
    QString error;
    if (PrintWithDialog(this, Graph(), Record(), "Mivora", &error) == PrintOutcome::Failed)
        m_frame.Prompts().Error(this, error.isEmpty() ? QString("Printing failed.") : error);
}

QColor CMVView::BackgroundColor() const {
    const ColorRef ref = m_barAlarm.m_comboBg.GetSelectedColor();
    return ref == kColorError ? QColor(Qt::white) : ColorFromRef(ref);
}

QColor CMVView::LineColor() const {
    const ColorRef ref = m_barAlarm.m_comboLine.GetSelectedColor();
    return ref == kColorError ? QColor(Qt::black) : ColorFromRef(ref);
}

mivora::ClientRect CMVView::ViewClientRect() const {
    return mivora::ClientRect{0, 0, width(), height()};
}

GraphColours CMVView::CurrentColours() const {
    const ColorRef bg = m_barAlarm.m_comboBg.GetSelectedColor();
    const ColorRef line = m_barAlarm.m_comboLine.GetSelectedColor();
    return GraphColoursFor(bg == kColorError ? QColor() : ColorFromRef(bg),
                           line == kColorError ? QColor() : ColorFromRef(line));
}

QPoint CMVView::FrameOrigin() const {
    // The reading numbers are placed in the frame's client coordinates.
    return mapFrom(&m_frame, m_frame.ClientRect().topLeft());
}

void CMVView::DrawGraph() {
    if (m_screen.size() != size()) {
        m_screen = QImage(size(), QImage::Format_RGB32);
        m_screen.fill(ButtonFaceColour());
    }
    mivora::GraphState& g = *m_graph;
    g.m_nAlarmHigh = m_nAlarmHigh;
    g.m_nAlarmLow = m_nAlarmLow;
    g.m_bAlarmHighFromBar = m_bAlarmHighFromBar ? 1 : 0;
    g.m_bAlarmLowFromBar = m_bAlarmLowFromBar ? 1 : 0;
    g.m_nValueScrollPos = m_nValueScrollPos;
    g.m_nFirstVisible = m_nFirstVisible;

    mivora::MeterState& s = State();
    mivora::DrawingInputs in;
    in.alarmHighFromBar = m_barAlarm.m_nHighValue;
    in.alarmLowFromBar = m_barAlarm.m_nLowValue;
    in.restartSampleTimer = s.m_bRestartSampleTimer;
    in.sampleIntervalMs = s.m_nSampleInterval;
    mivora::ComputeDrawing(g, ViewClientRect(), Record(), in, m_drawing);
    const mivora::GraphDrawing& d = m_drawing;

    // The limits as drawn (copied from the bar, reversed ones exchanged).
    m_nAlarmHigh = g.m_nAlarmHigh;
    m_nAlarmLow = g.m_nAlarmLow;
    m_nFirstVisible = g.m_nFirstVisible;

    if (d.setStatusTexts) {
        if (QLabel* pane = m_frame.StatusPane(1))
            pane->setText(QString::fromStdString(d.statusTime));
        if (QLabel* pane = m_frame.StatusPane(2))
            pane->setText(QString::fromStdString(d.statusTemp));
    }
    m_barScroll.ShowPosition(d.valueScrollPos);
    if (d.setAlarmScrollRange) m_barAlarm.m_scrollBar.setRange(0, d.alarmScrollMax);
    if (d.setAlarmScrollPos) m_barAlarm.m_scrollBar.setValue(d.alarmScrollPos);
    if (d.restartSampleTimer) {
        if (d.sampleIntervalMs > 0) m_sampleTimer.start(d.sampleIntervalMs);
        s.m_bRestartSampleTimer = false;
    }

    m_painter.Paint(m_screen, d, CurrentColours(), m_frame.m_font, ButtonFaceColour(),
                    FrameOrigin());

    // The window grew: one more complete drawing.
    if (d.repaintRequested) QTimer::singleShot(0, this, [this] { update(); });
}

void CMVView::RedrawNow() {
    repaint();
}

void CMVView::ShowScreenRect(const QRect& rect) {
    repaint(rect);
}

void CMVView::paintEvent(QPaintEvent* event) {
    // Invalidating the graph always invalidates the whole view (as far as the
    // panels leave it visible); a smaller area (a mark drawn by the mouse, a
    // panel repainted over the view, a part of the window uncovered) only
    // needs the picture already on the screen.
    const bool whole = (visibleRegion() - event->region()).isEmpty();
    if (whole || m_screen.size() != size()) DrawGraph();
    QPainter painter(this);
    paintGraph(painter);
}

void CMVView::paintGraph(QPainter& painter) {
    // The drag rectangle is xor'ed in for the copy and out again, so the image
    // keeps only the graph and the tracking line.
    XorDragRect(m_screen, m_band);
    painter.drawImage(QPoint(0, 0), m_screen);
    XorDragRect(m_screen, m_band);
}

namespace {

mivora::Point ToPoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return mivora::Point{p.x(), p.y()};
}

QRect ToQRect(const mivora::IntRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

void CMVView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    ApplyMouseResult(mivora::OnLButtonDown(*m_graph, ViewClientRect(), Record(), ToPoint(event)));
}

void CMVView::mouseMoveEvent(QMouseEvent* event) {
    ApplyMouseResult(
        mivora::OnMouseMove(*m_graph, ViewClientRect(), Record(), State(), ToPoint(event)));
}

void CMVView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    ApplyMouseResult(
        mivora::OnLButtonUp(*m_graph, ViewClientRect(), Record(), State(), ToPoint(event)));
}

void CMVView::OnDragWatch() {
    const QPoint cursor = mapFromGlobal(QCursor::pos());
    ApplyMouseResult(mivora::OnDragWatch(*m_graph, ViewClientRect(), State(),
                                         mivora::Point{cursor.x(), cursor.y()}));
}

void CMVView::ApplyMouseResult(const mivora::MouseResult& r) {
    if (!r.handled) return;
    QRect dirty;
    const QColor pen = CurrentColours().trackPen;
    if (r.eraseTrackLine) {
        XorTrackLine(m_screen, r.eraseTrackX, r.trackTop, r.trackBottom, pen);
        dirty |= QRect(r.eraseTrackX, r.trackTop, 1, r.trackBottom - r.trackTop);
    }
    if (r.drawTrackLine) {
        XorTrackLine(m_screen, r.drawTrackX, r.trackTop, r.trackBottom, pen);
        dirty |= QRect(r.drawTrackX, r.trackTop, 1, r.trackBottom - r.trackTop);
    }
    if (r.setReadout) {
        if (QLabel* pane = m_frame.StatusPane(1)) {
            pane->setText(QString::fromStdString(r.pane1));
            pane->repaint();
        }
        if (QLabel* pane = m_frame.StatusPane(2)) {
            pane->setText(QString::fromStdString(r.pane2));
            pane->repaint();
        }
    }
    if (r.drawDragRect) {
        dirty |= ToQRect(m_band);
        m_band = r.dragRectNew;
        dirty |= ToQRect(m_band);
    }
    if (r.eraseDragRect) {
        dirty |= ToQRect(m_band);
        m_band = mivora::IntRect();
    }
    if (!dirty.isEmpty()) ShowScreenRect(dirty);
    if (r.startDragTimer) m_dragTimer.start(10);
    if (r.stopDragTimer) m_dragTimer.stop();
    if (r.disableAlarmScroll) m_barAlarm.m_scrollBar.setEnabled(false);
    if (r.repaint) {
        // The repaint removes whatever band was on the screen.
        m_band = mivora::IntRect();
        RedrawNow();
        UpdateCommandStates();
    }
}

}  // namespace mivora::ui
