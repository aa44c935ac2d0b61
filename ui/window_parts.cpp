#include "ui/window_parts.hpp"

#include <QScreen>

namespace ui {

QFrame* new_panel(QWidget* parent, const char* name, QRect geometry, QFrame::Shadow shadow)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | shadow);
    panel->setGeometry(geometry);
    return panel;
}

QFont typewriter_font(int pixel_size)
{
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(pixel_size);
    return font;
}

void centre_on_screen(QWidget& window)
{
    if (const QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

void show_in_front(QWidget& window)
{
    window.show();
    window.raise();
    window.activateWindow();
}

QLabel* new_outdated_label(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->hide();
    return label;
}

}  // namespace ui
