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

// Test doubles installed for the lifetime of one object.
struct TestPlatform {
    TestPlatform()
    {
        platform::install(&clock, &dialogs, &settings);
        platform::installRegistry(&registry);
        platform::installUrlOpener(&urls);
    }
    ~TestPlatform()
    {
        platform::install(nullptr, nullptr, nullptr);
        platform::installRegistry(nullptr);
        platform::installUrlOpener(nullptr);
    }
    TestPlatform(const TestPlatform &) = delete;
    TestPlatform &operator=(const TestPlatform &) = delete;
    VirtualClock clock;
    ScriptedDialogs dialogs;
    MemorySettingsStore settings;
    // No test starts a real program through the about window.
    ScriptedRegistry registry;
    // Nor opens a document on the desktop.
    RecordingUrlOpener urls;
};
