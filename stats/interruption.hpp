// A long computation watched from another thread: how far it has come, and a request to stop
// it, which it answers at its next check by throwing Interrupted.
//
// Interrupted is the one cancel state of the Qt-free layers, and no failure: it carries no
// message, derives from no exception type, so that a handler of failures (std::exception) never
// takes it for one, and the one who asked for the stop says what stopped.
#pragma once

#include <atomic>
#include <cstddef>

namespace stats {

struct Interrupted {};

struct Interruption {
    std::atomic<bool> stop{false};
    // Steps finished so far, such as bootstrap resamples, for a progress bar.
    std::atomic<std::size_t> done{0};
    // Of a model search: the nodes visited so far, and the share of its tree they have decided,
    // from 0 to 1 (a subtree passed over is decided as a whole).
    std::atomic<std::size_t> nodes{0};
    std::atomic<double> share{0};

    void check() const
    {
        if (stop.load(std::memory_order_relaxed))
            throw Interrupted{};
    }
};

// Checks `interruption` when there is one.
inline void check(const Interruption* interruption)
{
    if (interruption)
        interruption->check();
}

}  // namespace stats
