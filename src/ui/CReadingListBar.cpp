#include "ui/CReadingListBar.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "ui/UiFonts.h"

namespace mivora::ui {

namespace {
struct Column {
    const char* title;
    int width;
};
const Column kColumns[] = {{"NO.", 44}, {"DATA", 55}, {"UNIT", 43}, {"TIME", 150}};
}  // namespace

CReadingListBar::CReadingListBar(QWidget* parent) : QWidget(parent), m_lstReadings(this) {
    setObjectName("ListBar");
    hide();
    QTableWidget& list = m_lstReadings;
    list.setObjectName("ReadingList");
    list.setFont(ArialFont(12, 0, QFont::Medium));
    list.setColumnCount(4);
    for (int i = 0; i < 4; ++i) {
        auto* header = new QTableWidgetItem(kColumns[i].title);
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        list.setHorizontalHeaderItem(i, header);
        list.setColumnWidth(i, kColumns[i].width);
    }
    list.verticalHeader()->hide();
    list.verticalHeader()->setDefaultSectionSize(16);
    list.verticalHeader()->setMinimumSectionSize(10);
    list.horizontalHeader()->setHighlightSections(false);
    list.horizontalHeader()->setStretchLastSection(false);
    list.setShowGrid(true);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setWordWrap(false);
    list.installEventFilter(this);
}

void CReadingListBar::resizeEvent(QResizeEvent* /*event*/) {
    m_lstReadings.setGeometry(0, 0, width(), height());
}

void CReadingListBar::AppendRow(const mivora::ListRow& row, bool ensureVisible) {
    QTableWidget& list = m_lstReadings;
    const int index = qBound(0, row.index, list.rowCount());
    list.insertRow(index);
    const std::string* texts[4] = {&row.no, &row.data, &row.unit, &row.time};
    for (int c = 0; c < 4; ++c) {
        auto* item = new QTableWidgetItem(QString::fromStdString(*texts[c]));
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        list.setItem(index, c, item);
    }
    if (ensureVisible) {
        list.scrollToItem(list.item(index, 0), QAbstractItemView::EnsureVisible);
        // The scroll bars settle after the list's next layout pass; scroll again
        // then so the row is fully visible, not cut by a bar that just appeared.
        m_nLastVisible = index;
        if (!m_bScrollQueued) {
            m_bScrollQueued = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_bScrollQueued = false;
                    QTableWidgetItem* item = m_lstReadings.item(m_nLastVisible, 0);
                    if (item) m_lstReadings.scrollToItem(item, QAbstractItemView::EnsureVisible);
                },
                Qt::QueuedConnection);
        }
    }
}

void CReadingListBar::DeleteAllItems() {
    m_lstReadings.setRowCount(0);
}

QString CReadingListBar::CellText(int row, int column) const {
    const QTableWidgetItem* item = m_lstReadings.item(row, column);
    return item ? item->text() : QString();
}

bool CReadingListBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_lstReadings && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace mivora::ui
