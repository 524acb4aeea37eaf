#pragma once
#include "platform/Clock.h"

#include <functional>
#include <utility>
#include <vector>

// Test clock: every yield serves events and advances the time by a fixed step. Actions can
// be scheduled at a time, to press a button "during" an exchange.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(double startOfDay = 12 * 3600.0, double step = 0.01);
    double now() const override { return m_now; }
    double monotonic() const override { return m_mono; }
    void yield() override;

    void setTimeOfDay(double seconds) { m_now = seconds; }
    void advance(double seconds);
    // Runs fn on the first yield at or after monotonic time `at`.
    void schedule(double at, std::function<void()> fn);
    void scheduleIn(double delay, std::function<void()> fn) { schedule(m_mono + delay, std::move(fn)); }
    long long yields() const { return m_yields; }

private:
    void runDue();
    double m_now;
    double m_mono = 0.0;
    double m_step;
    long long m_yields = 0;
    std::vector<std::pair<double, std::function<void()>>> m_scheduled;
};
