#pragma once
// An edit that takes only the characters of a signed decimal number.
#include <QLineEdit>
#include <string>

namespace mivora::ui {

// atoi's reading of a limit text (leading blanks, optional sign, digits up to
// the first other character, no digits give 0), clamped to the int range.
int ParseLimitText(const std::string& text);
// True for the characters the edit passes on: digits, '.', '-' and backspace.
bool IsNumEditChar(QChar c);

class CNumEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CNumEdit(QWidget* parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace mivora::ui
