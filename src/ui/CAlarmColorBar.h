#pragma once
// The strip below the graph: alarm limits and the graph's two colours.
#include <QFont>
#include <QLabel>
#include <QScrollBar>
#include <QWidget>

#include "ui/CColorComboBox.h"
#include "ui/CNumEdit.h"

namespace mivora::ui {

class CMVView;

class CAlarmColorBar : public QWidget {
    Q_OBJECT
  public:
    // `alarmHigh` and `alarmLow` come from the settings file.
    CAlarmColorBar(QWidget* parent, CMVView& view, int alarmHigh, int alarmLow);

    // Reads the colour indices into the frame and fills the lists.
    void OnInitDialog(int bgColor, int lineColor);

    void OnChangeAlarmHigh();
    void OnChangeAlarmLow();
    void OnSelchangeBgColor();
    void OnSelchangeLineColor();

    QFont m_fontCombo;
    CColorComboBox m_comboLine;
    CColorComboBox m_comboBg;
    CNumEdit m_editLow;
    CNumEdit m_editHigh;
    QScrollBar m_scrollBar;
    int m_nHighValue;
    int m_nLowValue;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void ApplyLimits();

    CMVView& m_view;
    QLabel m_labelHigh, m_labelLow, m_labelBg, m_labelLine;
};

}  // namespace mivora::ui
