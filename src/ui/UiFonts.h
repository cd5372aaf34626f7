#pragma once
// The fonts of the panels. "Arial" is answered by fontconfig (Liberation Sans
// with fonts-liberation2); "Arial Black" has no free twin and is mapped here.
#include <QFont>

namespace mivora::ui {

// `pixelHeight` is the character height in pixels; `averageWidth` (0 for the
// face's own) squeezes or widens the face to that average character width.
QFont ArialFont(int pixelHeight, int averageWidth = 0, int weight = QFont::Normal);
QFont ArialBlackFont(int pixelHeight, int averageWidth = 0);

}  // namespace mivora::ui
