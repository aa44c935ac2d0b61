// One of the worksheet's small numeric input boxes. Every typed character passes the numeric key
// filter, and a box that grows past six characters is cut back on the next key release.
// Ctrl with a letter, the clipboard shortcuts among them, counts as a forbidden character; keys
// that type no character (Delete, Shift+Insert, Ctrl+Insert) edit the box as usual. Pasted text
// is not filtered: it is cut back on the box's next key release, and the parser checks it at
// Compute.
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

private:
    platform::Desktop& desktop_;
};

}  // namespace ui
