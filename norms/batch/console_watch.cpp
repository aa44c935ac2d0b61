#include "norms/batch/console_watch.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cmath>

namespace norms {
namespace {

using namespace std::chrono_literals;

constexpr auto first_line_after = 1s;
constexpr auto lines_every = 5s;
constexpr auto poll_every = 50ms;

// Set by the SIGINT handler, which may touch nothing but a lock-free atomic.
std::atomic<bool> interrupt_requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void request_interrupt(int)
{
    interrupt_requested.store(true, std::memory_order_relaxed);
}

struct sigaction previous_handler{};

}  // namespace

ConsoleWatch::ConsoleWatch(std::ostream& err, std::function<std::string(const stats::Interruption&)> progress)
{
    interrupt_requested.store(false);
    struct sigaction handler{};
    handler.sa_handler = request_interrupt;
    sigemptyset(&handler.sa_mask);
    sigaction(SIGINT, &handler, &previous_handler);
    watcher_ = std::jthread([this, &err, progress = std::move(progress)](std::stop_token stop) {
        const auto start = std::chrono::steady_clock::now();
        auto next_line = start + first_line_after;
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(poll_every);
            if (interrupt_requested.load(std::memory_order_relaxed))
                interruption_.stop.store(true, std::memory_order_relaxed);
            if (std::chrono::steady_clock::now() < next_line)
                continue;
            next_line += lines_every;
            if (const std::string line = progress(interruption_); !line.empty())
                err << line << std::endl;
        }
    });
}

ConsoleWatch::~ConsoleWatch()
{
    watcher_.request_stop();
    watcher_.join();
    sigaction(SIGINT, &previous_handler, nullptr);
}

stats::Interruption& ConsoleWatch::interruption()
{
    return interruption_;
}

std::string continuous_progress_line(const stats::Interruption& interruption, std::size_t node_budget,
                                     int resamples)
{
    const std::size_t nodes = interruption.nodes.load(std::memory_order_relaxed);
    const double share = interruption.share.load(std::memory_order_relaxed);
    if (share > 0 && share < 1) {
        const double estimate = std::ceil(static_cast<double>(nodes) * (1 - share) / share);
        const double left = static_cast<double>(node_budget - std::min(nodes, node_budget));
        return "Model search: " + std::to_string(nodes) + " nodes visited, about " +
               std::to_string(static_cast<unsigned long long>(std::min(estimate, left))) + " more";
    }
    const std::size_t drawn = interruption.done.load(std::memory_order_relaxed);
    if (drawn > 0 && resamples > 0)
        return "Bootstrap: " + std::to_string(drawn) + " of " + std::to_string(resamples) + " resamples drawn";
    return "";
}

}  // namespace norms
