#include "platform/Platform.h"

#include <QtGlobal>

namespace {
Clock *g_clock = nullptr;
Dialogs *g_dialogs = nullptr;
SettingsStore *g_settings = nullptr;
} // namespace

namespace platform {

Clock &clock()
{
    Q_ASSERT(g_clock);
    return *g_clock;
}

Dialogs &dialogs()
{
    Q_ASSERT(g_dialogs);
    return *g_dialogs;
}

SettingsStore &settings()
{
    Q_ASSERT(g_settings);
    return *g_settings;
}

void install(Clock *c, Dialogs *d, SettingsStore *s)
{
    g_clock = c;
    g_dialogs = d;
    g_settings = s;
}

} // namespace platform
