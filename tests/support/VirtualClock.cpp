#include "support/VirtualClock.h"

#include <QCoreApplication>

namespace {
constexpr double kDay = 24 * 3600.0;
} // namespace

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
