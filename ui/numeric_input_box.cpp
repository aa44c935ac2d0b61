#include "ui/numeric_input_box.hpp"

#include <QKeyEvent>
#include <optional>

#include "norms/read/input_checks.hpp"

namespace ui {

namespace {

// Stands for a typed character outside ASCII; the filter refuses it like any other.
constexpr char non_ascii_character = '\x1a';

// The character a key press types, as the numeric filter sees it: what the key types on a
// desktop whose edit keys type no character. Only Backspace, Tab, Enter and Escape among Qt's
// non-character keys type one; Delete, Insert, the arrows and the function keys type nothing and
// go to the box as usual, whatever text the window system gives them (an X server gives Delete
// the DEL character). So Shift+Insert and Ctrl+Insert paste and copy, while Ctrl with a letter,
// the clipboard shortcuts included, types a control character.
std::optional<char> typed_character(const QKeyEvent& event)
{
    const int key = event.key();
    const Qt::KeyboardModifiers chord =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (chord == Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<char>(key - Qt::Key_A + 1);
    if (chord != Qt::NoModifier)
        return std::nullopt;
    switch (key) {
    case Qt::Key_Backspace:
        return '\b';
    case Qt::Key_Tab:
        return '\t';
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return '\r';
    case Qt::Key_Escape:
        return '\x1b';
    default:
        break;
    }
    const bool non_character_key = key >= Qt::Key_Escape && key != Qt::Key_unknown;
    if (non_character_key || event.text().isEmpty())
        return std::nullopt;
    const char16_t c = event.text().front().unicode();
    return c < 0x80 ? static_cast<char>(c) : non_ascii_character;
}

}  // namespace

NumericInputBox::NumericInputBox(platform::Desktop& desktop, QWidget* parent)
    : QLineEdit(parent), desktop_(desktop)
{
}

void NumericInputBox::keyPressEvent(QKeyEvent* event)
{
    const std::optional<char> typed = typed_character(*event);
    if (!typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const char let_through = norms::FilterNumericKey(desktop_, *typed);
    if (let_through == '\0') {
        event->accept();
    } else if (let_through != *typed) {
        const QString text(QChar::fromLatin1(let_through));
        QKeyEvent replaced(QEvent::KeyPress, let_through, Qt::NoModifier, text);
        QLineEdit::keyPressEvent(&replaced);
    } else {
        QLineEdit::keyPressEvent(event);
    }
}

void NumericInputBox::keyReleaseEvent(QKeyEvent* event)
{
    QLineEdit::keyReleaseEvent(event);
    if (event->isAutoRepeat())
        return;
    const std::string current = text().toStdString();
    if (!norms::IsInputTooLong(current))
        return;
    desktop_.beep();
    desktop_.warning(norms::InputTooLongMessage);
    setText(QString::fromStdString(norms::LimitInputLength(current)));
    selectAll();
}

}  // namespace ui
