#include "ui/delayed_progress.hpp"

namespace ui {

DelayedProgress::DelayedProgress(QObject* parent) : QObject(parent)
{
    delay_.setSingleShot(true);
    delay_.setInterval(300);
    poll_.setInterval(100);
    const auto say = [this] { emit progressChanged(percent_()); };
    connect(&delay_, &QTimer::timeout, this, [this, say] {
        say();
        poll_.start();
    });
    connect(&poll_, &QTimer::timeout, this, say);
}

void DelayedProgress::start(std::function<int()> percent)
{
    percent_ = std::move(percent);
    poll_.stop();
    delay_.start();
}

void DelayedProgress::stop()
{
    delay_.stop();
    poll_.stop();
}

}  // namespace ui
