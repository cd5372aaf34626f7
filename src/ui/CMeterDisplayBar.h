#pragma once
// The drawn copy of the meter's display across the top of the window.
#include <QComboBox>
#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "meter/Acquisition.h"

namespace mivora::ui {

class CMVView;

class CMeterDisplayBar : public QWidget {
    Q_OBJECT
  public:
    // `parent` is the main frame; `intervalIndex` comes from the settings file.
    CMeterDisplayBar(QWidget* parent, CMVView& view, int intervalIndex);

    // Client rectangle of one of the areas the core invalidates.
    static QRect AreaRect(mivora::DisplayArea area);
    void InvalidateArea(mivora::DisplayArea area);

    // The one-second tick: clock text, clock strip, DataInput flag.
    void OnTimer();
    // The interval list's selection by the user.
    void OnSelendokInterval(int index);

    QComboBox& IntervalList() { return m_cmbInterval; }
    const QString& ClockText() const { return m_strClock; }

    QFont m_fontReading, m_fontStatus, m_fontClock, m_fontCaption, m_fontValue;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void PaintGroupBoxes(QPainter& painter) const;

    CMVView& m_view;
    QString m_strClock;
    QComboBox m_cmbInterval;
    QTimer m_timer;
};

}  // namespace mivora::ui
