#include "ui/CNumEdit.h"

#include <QKeyEvent>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace mivora::ui {

int ParseLimitText(const std::string& text) {
    errno = 0;
    const long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool IsNumEditChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '.' || u == '-' || u == 8;
}

CNumEdit::CNumEdit(QWidget* parent) : QLineEdit(parent) {}

namespace {

// The keyboard's undo, cut, copy and paste keys: the program binds them to
// commands nobody handles, so in the limit edits they do nothing.
bool IsEditShortcut(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const int key = event->key();
    if (mods == Qt::ControlModifier &&
        (key == Qt::Key_Z || key == Qt::Key_X || key == Qt::Key_C || key == Qt::Key_V ||
         key == Qt::Key_Insert || key == Qt::Key_Y || key == Qt::Key_A))
        return true;
    if (mods == Qt::AltModifier && key == Qt::Key_Backspace) return true;
    if (mods == Qt::ShiftModifier && (key == Qt::Key_Delete || key == Qt::Key_Insert)) return true;
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
           event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Copy) ||
           event->matches(QKeySequence::Paste);
}

}  // namespace

void CNumEdit::keyPressEvent(QKeyEvent* event) {
    if (IsEditShortcut(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (!text.isEmpty()) {
        for (const QChar c : text) {
            if (!IsNumEditChar(c)) {
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace mivora::ui
