#pragma once
#include <QElapsedTimer>
#include <functional>
#include <vector>

// The time of day as the modem exchanges see it, and the one way of waiting: yield to the
// event queue. Waiting loops never sleep on their own, so a test can swap in a virtual clock.
class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since midnight, with fractions. Jumps back to 0 at midnight.
    virtual double now() const = 0;
    // Seconds since an arbitrary start; never jumps. For scheduling, not for display.
    virtual double monotonic() const = 0;
    // Serve pending events, then let a little time pass.
    virtual void yield() = 0;
};

// Wall clock. yield() runs a nested event loop until the next event or a few milliseconds
// pass, so a wait costs almost no CPU but user input, timers and port data are still served.
class SystemClock final : public Clock {
public:
    SystemClock();
    double now() const override;
    double monotonic() const override;
    void yield() override;
    // Ends the program. A wait in progress must not go on spinning once the event loops are
    // told to stop (every yield would return at once), so the next yield ends the process.
    void quit();

private:
    QElapsedTimer m_started;
    bool m_quitting = false;
};
