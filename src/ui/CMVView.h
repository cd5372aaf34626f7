#pragma once
// The trend graph view: fills the frame between toolbar and status bar, owns
// the four panels (their windows are children of the frame), runs the sample
// timer and decides the Save, Print and UndoZoom command states.
//
// What a graph painter needs:
//   Record()            the measurement record (screen series, counts, extremes)
//   State()             link, latest-frame and sampling state (m_bRubberBand ...)
//   m_nAlarmHigh/Low    the limits (copied from the alarm bar at every repaint
//                       while m_bAlarmHighFromBar / m_bAlarmLowFromBar are set)
//   m_nValueScrollPos   0..72, the value window's position
//   m_nFirstVisible     first visible reading while zoomed
//   BackgroundColor(), LineColor()   the two colour lists (index 14 = none)
//   paintGraph(QPainter&)            the hook every repaint calls
//   Frame().StatusPane(1|2)          the two readout panes
#include <QColor>
#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "graph/GraphDrawing.h"
#include "graph/GraphMouse.h"
#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"
#include "ui/CAlarmColorBar.h"
#include "ui/CGraphScrollBar.h"
#include "ui/CMeterDisplayBar.h"
#include "ui/CReadingListBar.h"
#include "ui/GraphPainter.h"

namespace mivora::ui {

class CMainFrame;
class CMVDoc;

struct ViewSettings {
    int nSampleRate = 0;
    int nAlarmHigh = 150;
    int nAlarmLow = -50;
    int nBgColor = 14;
    int nLineColor = 2;
};

class CMVView : public QWidget {
    Q_OBJECT
    // First, so the panels can reach them while they are built.
    CMainFrame& m_frame;
    CMVDoc& m_doc;

  public:
    CMVView(CMainFrame& frame, CMVDoc& doc, const ViewSettings& settings);
    ~CMVView() override;

    CMainFrame& Frame() { return m_frame; }
    CMVDoc& GetDocument() { return m_doc; }
    mivora::MeasurementRecord& Record();
    const mivora::MeasurementRecord& Record() const;
    mivora::MeterState& State();
    const mivora::MeterState& State() const;

    // Places and shows the panels over the view, in the frame's client coordinates.
    void OnSize();
    // The framework's initial update: layout, then the sample timer.
    void OnInitialUpdate();
    // The document's update of all views: repaint, command states.
    void OnUpdate();
    // The interval list's choice (through the core).
    void SelectInterval(int index);
    // Sample timer tick.
    void OnSampleTimer();

    // Command states.
    bool CanSave() const;
    bool CanPrint() const;
    virtual bool CanUndoZoom() const;
    void UpdateCommandStates();

    // Commands the view handles; the graph and printing fill these in.
    virtual void OnUndoZoom();
    virtual void OnFilePrint();

    // The colours of the two lists; no selection gives white and black.
    QColor BackgroundColor() const;
    QColor LineColor() const;

    QTimer& SampleTimer() { return m_sampleTimer; }

    // The graph: its state, the last drawing computed, and the picture on the
    // screen (the tracking line is drawn into it; the drag rectangle on top).
    mivora::GraphState& Graph() { return *m_graph; }
    const mivora::GraphState& Graph() const { return *m_graph; }
    const mivora::GraphDrawing& LastDrawing() const { return m_drawing; }
    const QImage& Screen() const { return m_screen; }
    // The view's client rectangle, from which the plot is computed.
    mivora::ClientRect ViewClientRect() const;
    // The colours of the two lists as the graph paints them.
    GraphColours CurrentColours() const;
    // Invalidates the whole view (no erase) and updates it at once.
    void RedrawNow();
    // Timer 3: watches a zoom drag; ticks every 10 ms from the press.
    QTimer& DragTimer() { return m_dragTimer; }
    void OnDragWatch();
    // The drag rectangle on the screen, empty when none.
    mivora::IntRect DragBand() const { return m_band; }

    // The four panels; declared in their creation order.
    CAlarmColorBar m_barAlarm;
    CMeterDisplayBar m_barDisplay;
    CGraphScrollBar m_barScroll;
    CReadingListBar m_barList;

    int m_nAlarmHigh;
    int m_nAlarmLow;
    bool m_bAlarmHighFromBar = true;
    bool m_bAlarmLowFromBar = true;
    int m_nValueScrollPos = 72;
    int m_nFirstVisible = 0;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Paints the graph over the whole view; until the graph is drawn, the plot
    // stays the background colour.
    virtual void paintGraph(QPainter& painter);

  private:
    // One drawing of the graph: computed by the core, painted into m_screen,
    // with its effects on the panels, the status bar and the timers.
    void DrawGraph();
    void ApplyMouseResult(const mivora::MouseResult& r);
    // Shows `rect` of m_screen at once, without drawing the graph again.
    void ShowScreenRect(const QRect& rect);
    QPoint FrameOrigin() const;

    QTimer m_sampleTimer;
    std::unique_ptr<mivora::GraphState> m_graph;
    mivora::GraphDrawing m_drawing;
    GraphPainter m_painter;
    QImage m_screen;
    QTimer m_dragTimer;
    mivora::IntRect m_band;
};

}  // namespace mivora::ui
