#include "ui/CColorComboBox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace mivora::ui {

namespace {

constexpr int kColorRole = Qt::UserRole + 1;

const NamedColor kColors[kColorCount] = {
    {"Red", 0x0000FF},         {"Green", 0x00FF00},        {"Blue", 0xFF0000},
    {"Yellow", 0x00FFFF},      {"Magenta", 0xFF00FF},      {"Cyan", 0xFFFF00},
    {"Dark Red", 0x000080},    {"Dark Green", 0x008000},   {"Dark Blue", 0x800000},
    {"Dark Yellow", 0x008080}, {"Dark Magenta", 0x800080}, {"Dark Cyan", 0x808000},
    {"White", 0xFFFFFF},       {"Black", 0x000000},
};

class ColorItemDelegate : public QStyledItemDelegate {
  public:
    explicit ColorItemDelegate(CColorComboBox& combo)
        : QStyledItemDelegate(&combo), m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const bool disabled = !(option.state & QStyle::State_Enabled);
        m_combo.DrawItem(*painter, option.rect, index.row(), selected, disabled);
    }

  private:
    CColorComboBox& m_combo;
};

}  // namespace

const NamedColor* ColorTable() {
    return kColors;
}

QColor ColorFromRef(ColorRef ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

namespace {
ColorRef RefFromColor(const QColor& c) {
    return static_cast<ColorRef>(c.red()) | (static_cast<ColorRef>(c.green()) << 8) |
           (static_cast<ColorRef>(c.blue()) << 16);
}
}  // namespace

CColorComboBox::CColorComboBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new ColorItemDelegate(*this));
}

int CColorComboBox::AddColor(ColorRef color, const QString& name) {
    if (!IsColorNew(color)) return -1;
    addItem(name);
    const int index = count() - 1;
    if (index >= 0) setItemData(index, QVariant::fromValue<uint>(color), kColorRole);
    return index;
}

int CColorComboBox::IsColorNew(ColorRef color) const {
    for (int i = 0; i < count(); ++i) {
        if (itemData(i, kColorRole).toUInt() == color) return 0;
    }
    return 1;
}

void CColorComboBox::FillColors(int index) {
    for (const NamedColor& c : kColors) AddColor(c.ref, c.name);
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

ColorRef CColorComboBox::GetSelectedColor() const {
    const int index = currentIndex();
    if (index < 0) return kColorError;
    return itemData(index, kColorRole).toUInt();
}

void CColorComboBox::DrawItem(QPainter& painter, const QRect& rect, int index, bool selected,
                              bool disabled) const {
    if (index < 0 || index >= count()) return;
    const QPalette& pal = palette();
    QColor swatch = ColorFromRef(itemData(index, kColorRole).toUInt());
    QColor text = pal.color(QPalette::Active, QPalette::Text);
    QColor back = pal.color(QPalette::Active, QPalette::Base);
    if (selected) {
        back = pal.color(QPalette::Active, QPalette::Highlight);
        text = ColorFromRef(~RefFromColor(text) & 0xFFFFFF);
    }
    if (disabled) {
        text = pal.color(QPalette::Disabled, QPalette::WindowText);
        swatch = text;
    }
    painter.save();
    painter.fillRect(rect, back);
    if (selected) {
        QPen focus(pal.color(QPalette::Active, QPalette::Text), 1, Qt::DotLine);
        painter.setPen(focus);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    // Rectangle from (left + 2, top + 2) to (left + 14, bottom - 2), outline included.
    painter.setPen(QPen(pal.color(QPalette::Active, QPalette::Text), 1));
    painter.setBrush(swatch);
    const int bottom = rect.top() + rect.height();
    painter.drawRect(QRect(rect.left() + 2, rect.top() + 2, 11, bottom - 2 - (rect.top() + 2) - 1));
    painter.setPen(text);
    painter.setFont(font());
    painter.drawText(rect.translated(21, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                     itemText(index));
    painter.restore();
}

void CColorComboBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0) {
        DrawItem(painter, field, currentIndex(), hasFocus(), !isEnabled());
    }
}

}  // namespace mivora::ui
