#include "platform/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTime>
#include <QTimer>

#include <cstdlib>

namespace {
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
