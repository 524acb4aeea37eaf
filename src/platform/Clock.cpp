#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QTimer>

#include <cstdlib>

namespace {
constexpr double kDay = 24 * 3600.0;
// The longest a wait sleeps when nothing happens. A character wakes it at once, so this only
// bounds how late a quiet second or a pause is seen to end; each slice costs one wake-up.
constexpr int kYieldSliceMs = 20;
} // namespace

SystemClock::SystemClock() { m_started.start(); }

double SystemClock::now() const { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

double SystemClock::monotonic() const { return m_started.nsecsElapsed() / 1e9; }

void SystemClock::quit()
{
    m_quitting = true;
    QCoreApplication::exit(0);
}

void SystemClock::yield()
{
    if (m_quitting)
        std::exit(0);
    QCoreApplication::sendPostedEvents();
    QTimer slice;
    slice.setSingleShot(true);
    slice.start(kYieldSliceMs);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

VirtualClock::VirtualClock(double startOfDay, double step) : m_now(startOfDay), m_step(step) {}

void VirtualClock::advance(double seconds)
{
    m_mono += seconds;
    m_now += seconds;
    while (m_now >= kDay)
        m_now -= kDay;
    runDue();
}

void VirtualClock::yield()
{
    ++m_yields;
    QCoreApplication::processEvents();
    advance(m_step);
}

void VirtualClock::schedule(double at, std::function<void()> fn) { m_scheduled.emplace_back(at, std::move(fn)); }

void VirtualClock::runDue()
{
    for (std::size_t i = 0; i < m_scheduled.size();) {
        if (m_scheduled[i].first <= m_mono + 1e-9) {
            auto fn = std::move(m_scheduled[i].second);
            m_scheduled.erase(m_scheduled.begin() + static_cast<std::ptrdiff_t>(i));
            fn();
            i = 0;
        } else {
            ++i;
        }
    }
}
