// A multi-line text box that shows whole lines only: the box's text area ends below the last
// line that fits, so no line is ever cut through at the bottom, however the box is scrolled
// or resized.
#pragma once

#include <QPlainTextEdit>

namespace ui {

class WholeLineTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    // padding: the space between the frame and the text on every side.
    WholeLineTextEdit(int padding, QWidget* parent);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fitWholeLines();

    int padding_;
};

}  // namespace ui
