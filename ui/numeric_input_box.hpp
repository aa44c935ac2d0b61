// One of the worksheet's small numeric input boxes. Every typed character passes the numeric key
// filter, and a box that grows past six characters is cut back on the next key release.
// Clipboard shortcuts count as forbidden characters, and nothing can be pasted with the mouse.
#pragma once

#include <QLineEdit>

#include "platform/desktop.hpp"

namespace ui {

class NumericInputBox : public QLineEdit {
    Q_OBJECT
public:
    NumericInputBox(platform::Desktop& desktop, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    platform::Desktop& desktop_;
};

}  // namespace ui
