#pragma once
// The value scroll bar right of the graph: moves the graph's value window.
#include <QScrollBar>
#include <QWidget>

namespace mivora::ui {

class CMVView;

constexpr int kValueScrollMax = 72;

// The new value-window position for a scroll action.
int ValueScrollAfter(int position, int action, int trackedPosition);

class CGraphScrollBar : public QWidget {
    Q_OBJECT
  public:
    CGraphScrollBar(QWidget* parent, CMVView& view);

    // The graph shows the view's position on the bar every time it draws.
    void ShowPosition(int position);
    QScrollBar& Bar() { return m_sbValue; }

  private:
    void OnAction(int action);

    CMVView& m_view;
    QScrollBar m_sbValue;
};

}  // namespace mivora::ui
