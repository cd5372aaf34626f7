#pragma once
// The numbered list of recorded readings at the right of the window.
#include <QTableWidget>
#include <QWidget>

#include "meter/Acquisition.h"

namespace mivora::ui {

class CReadingListBar : public QWidget {
    Q_OBJECT
  public:
    explicit CReadingListBar(QWidget* parent);

    // Inserts the row at its index, fills the four columns and scrolls it into view.
    void AppendRow(const mivora::ListRow& row, bool ensureVisible = true);
    void DeleteAllItems();
    int RowCount() const { return m_lstReadings.rowCount(); }
    QString CellText(int row, int column) const;
    QTableWidget& List() { return m_lstReadings; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTableWidget m_lstReadings;
    int m_nLastVisible = -1;
    bool m_bScrollQueued = false;
};

}  // namespace mivora::ui
