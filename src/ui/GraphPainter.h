#pragma once
// Paints one computed drawing of the trend graph: the plot buffer, the label
// strip and the reading numbers, and the two screen marks the mouse draws on
// top (tracking line and drag rectangle). Everything it paints comes from
// GraphDrawing; it decides nothing about the graph itself.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>

#include "graph/GraphDrawing.h"

class QPainter;

namespace mivora::ui {

// Fixed pen colours of the graph.
inline QColor GridColour() {
    return QColor(170, 170, 170);
}
inline QColor AlarmTraceColour() {
    return QColor(255, 0, 0);
}
inline QColor AlarmRowColour() {
    return QColor(0, 155, 0);
}

// The colours of one drawing, taken from the alarm bar's two colour lists.
struct GraphColours {
    QColor background;  // plot fill
    QColor line;        // in-limit trace pieces
    QColor trackPen;    // the tracking line's not-xor pen
};

// An invalid QColor means "no selection" (the default background index 14).
// Without a background selection the plot is white and the tracking pen black:
// a pen of the background colour xor'ed on white would be invisible. Without a
// line selection the in-limit trace is black.
GraphColours GraphColoursFor(const QColor& bgSelection, const QColor& lineSelection);

// The face colour of buttons and panels, behind the labels and reading numbers.
QColor ButtonFaceColour();

// The plot buffer, W x H, built from scratch: background, dotted grid, trace
// pieces, alarm rows, and the tracking line put back after new data. An
// unusable plot leaves an empty image.
void PaintPlot(QImage& plot, const GraphDrawing& d, const GraphColours& colours);

// The label strip, (plot left) x (H + 17): button face, tick marks and the
// value labels, black on opaque white.
void PaintLabelStrip(QImage& strip, const GraphDrawing& d, const QFont& font,
                     const QColor& buttonFace);

// The reading numbers under the plot, on a painter in the frame's client
// coordinates: the band is erased with the button face first.
void PaintReadingNumbers(QPainter& frame, const GraphDrawing& d, const QFont& font,
                         const QColor& buttonFace);

// Dotted vertical line from (x, top) to (x, bottom), end pixel not set, drawn
// with a not-xor raster operation: drawing it twice restores the image.
void XorTrackLine(QImage& image, int x, int top, int bottom, const QColor& pen);

// The 1-pixel frame of a drag rectangle (right and bottom exclusive), inverted
// through a halftone pattern: drawing it twice restores the image.
void XorDragRect(QImage& image, const IntRect& rect);

// One full repaint of the graph onto the view's image: both buffers copied
// whole, then the reading numbers. `frameOrigin` is where the frame's client
// origin lies in the view's coordinates (the numbers are placed in frame
// coordinates). The buffers are kept for the next repaint.
class GraphPainter {
  public:
    void Paint(QImage& view, const GraphDrawing& d, const GraphColours& colours, const QFont& font,
               const QColor& buttonFace, QPoint frameOrigin);

    const QImage& PlotBuffer() const { return m_plot; }
    const QImage& LabelStrip() const { return m_strip; }

  private:
    QImage m_plot;
    QImage m_strip;
};

}  // namespace mivora::ui
