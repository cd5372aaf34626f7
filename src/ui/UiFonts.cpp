#include "ui/UiFonts.h"

#include <QFontMetrics>
#include <QStringList>

namespace mivora::ui {

namespace {

QFont Sized(QFont font, int pixelHeight, int averageWidth) {
    font.setPixelSize(pixelHeight);
    font.setStyleHint(QFont::SansSerif);
    if (averageWidth > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) {
            const int stretch = (averageWidth * 100 + natural / 2) / natural;
            font.setStretch(qBound(1, stretch, 4000));
        }
    }
    return font;
}

}  // namespace

QFont ArialFont(int pixelHeight, int averageWidth, int weight) {
    QFont font("Arial");
    font.setWeight(static_cast<QFont::Weight>(weight));
    return Sized(font, pixelHeight, averageWidth);
}

QFont ArialBlackFont(int pixelHeight, int averageWidth) {
    // The one place that decides what stands in for "Arial Black": the heaviest
    // cut of the Arial twin.
    QFont font("Liberation Sans");
    font.setFamilies(QStringList() << "Liberation Sans"
                                   << "Arial"
                                   << "DejaVu Sans");
    font.setWeight(QFont::Black);
    return Sized(font, pixelHeight, averageWidth);
}

}  // namespace mivora::ui
