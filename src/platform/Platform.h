#pragma once
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/SettingsStore.h"
#include "platform/UrlOpener.h"

#include <memory>

// The platform services the program runs on. main() installs the real ones; tests install
// a virtual clock, scripted dialogs and a store in memory.
namespace platform {
Clock &clock();
Dialogs &dialogs();
SettingsStore &settings();
void install(Clock *clock, Dialogs *dialogs, SettingsStore *settings);
} // namespace platform
