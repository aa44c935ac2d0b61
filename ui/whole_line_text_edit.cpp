#include "ui/whole_line_text_edit.hpp"

#include <algorithm>

namespace ui {

WholeLineTextEdit::WholeLineTextEdit(int padding, QWidget* parent)
    : QPlainTextEdit(parent), padding_(padding)
{
    // The padding lies outside the scrolled text, so that a line scrolled to the top starts
    // right below it as the first line does. It takes the text's background.
    document()->setDocumentMargin(0);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void WholeLineTextEdit::resizeEvent(QResizeEvent* event)
{
    fitWholeLines();
    QPlainTextEdit::resizeEvent(event);
}

void WholeLineTextEdit::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitWholeLines();
}

void WholeLineTextEdit::fitWholeLines()
{
    const int line_height = fontMetrics().height();
    const int room = contentsRect().height() - 2 * padding_;
    const int lines = std::max(1, room / line_height);
    const int unused = std::max(0, room - lines * line_height);
    setViewportMargins(padding_, padding_, padding_, padding_ + unused);
}

}  // namespace ui
