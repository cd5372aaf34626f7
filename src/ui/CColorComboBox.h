#pragma once
// A drop-down list of the 14 named colours, each drawn as a swatch and a name.
#include <QColor>
#include <QComboBox>
#include <QString>
#include <cstdint>

class QPainter;

namespace mivora::ui {

using ColorRef = std::uint32_t;                // red in the low byte
constexpr ColorRef kColorError = 0xFFFFFFFFu;  // no selection
constexpr int kColorCount = 14;

struct NamedColor {
    const char* name;
    ColorRef ref;
};
// The colour list in index order; the indices are those of the settings file.
const NamedColor* ColorTable();
QColor ColorFromRef(ColorRef ref);

class CColorComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit CColorComboBox(QWidget* parent = nullptr);

    // -1 when the colour is already listed.
    int AddColor(ColorRef color, const QString& name);
    // 1 when no item carries the colour, 0 when one does.
    int IsColorNew(ColorRef color) const;
    // Adds the 14 colours and selects `index`; outside 0..13 nothing is selected.
    void FillColors(int index);
    // kColorError without a selection.
    ColorRef GetSelectedColor() const;

    // Draws one item: swatch, then the name 21 pixels in.
    void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected,
                  bool disabled) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace mivora::ui
