#include "ui/numeric_input_box.hpp"

#include <QKeyEvent>
#include <optional>

#include "ui/input_checks.hpp"

namespace ui {

namespace {

constexpr char ctrl(char letter)
{
    return static_cast<char>(letter - 'A' + 1);
}

// Stands for a typed character outside ASCII; the filter refuses it like any other.
constexpr char non_ascii_character = '\x1a';

// The character a key press types, as the numeric filter sees it; nothing for keys that type
// no character (arrows, Shift, Delete, …), which the box handles as usual.
std::optional<char> typed_character(const QKeyEvent& event)
{
    if (event.matches(QKeySequence::Paste))
        return ctrl('V');
    if (event.matches(QKeySequence::Copy))
        return ctrl('C');
    if (event.matches(QKeySequence::Cut))
        return ctrl('X');
    const Qt::KeyboardModifiers chord =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (chord == Qt::ControlModifier && event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z)
        return static_cast<char>(event.key() - Qt::Key_A + 1);
    if (chord != Qt::NoModifier || event.text().isEmpty())
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
    const char let_through = FilterNumericKey(desktop_, *typed);
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
    if (!IsInputTooLong(current))
        return;
    desktop_.beep();
    desktop_.warning(InputTooLongMessage);
    setText(QString::fromStdString(LimitInputLength(current)));
    selectAll();
}

}  // namespace ui
