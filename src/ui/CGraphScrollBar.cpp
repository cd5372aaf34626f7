#include "ui/CGraphScrollBar.h"

#include <QSignalBlocker>

#include "ui/CMVView.h"

namespace mivora::ui {

int ValueScrollAfter(int position, int action, int trackedPosition) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            return position > 0 ? position - 1 : position;
        case QAbstractSlider::SliderSingleStepAdd:
            return position < kValueScrollMax ? position + 1 : position;
        case QAbstractSlider::SliderPageStepSub:
            return 0;
        case QAbstractSlider::SliderPageStepAdd:
            return kValueScrollMax;
        case QAbstractSlider::SliderMove:
            return trackedPosition;
        default:  // thumb released, top, bottom: unchanged
            return position;
    }
}

CGraphScrollBar::CGraphScrollBar(QWidget* parent, CMVView& view)
    : QWidget(parent), m_view(view), m_sbValue(Qt::Vertical, this) {
    setObjectName("ScrollBar");
    hide();
    m_sbValue.setGeometry(0, 0, 16, 344);
    m_sbValue.setRange(0, kValueScrollMax);
    m_sbValue.setPageStep(8);
    m_sbValue.setTracking(true);
    m_sbValue.setValue(view.m_nValueScrollPos);
    connect(&m_sbValue, &QAbstractSlider::actionTriggered, this, &CGraphScrollBar::OnAction);
}

void CGraphScrollBar::OnAction(int action) {
    const int pos = ValueScrollAfter(m_view.m_nValueScrollPos, action, m_sbValue.sliderPosition());
    m_view.m_nValueScrollPos = pos;
    // The action's own step is replaced by ours.
    m_sbValue.setSliderPosition(pos);
    m_view.update();
}

void CGraphScrollBar::ShowPosition(int position) {
    const QSignalBlocker block(m_sbValue);
    m_sbValue.setRange(0, kValueScrollMax);
    if (!m_sbValue.isSliderDown()) m_sbValue.setValue(position);
}

}  // namespace mivora::ui
