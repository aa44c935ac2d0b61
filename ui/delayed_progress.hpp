// Progress of work off the window's thread, said only for a step that lasts: nothing for its
// first 300 ms, so that a quick step shows no bar, then its percentage every 100 ms.
#pragma once

#include <functional>

#include <QObject>
#include <QTimer>

namespace ui {

class DelayedProgress : public QObject {
    Q_OBJECT

public:
    explicit DelayedProgress(QObject* parent = nullptr);

    // Watches a new step; `percent` reads how far it is, 0 to 100, or -1 when that is unknown.
    void start(std::function<int()> percent);
    void stop();

signals:
    void progressChanged(int percent);

private:
    std::function<int()> percent_;
    QTimer delay_;
    QTimer poll_;
};

}  // namespace ui
