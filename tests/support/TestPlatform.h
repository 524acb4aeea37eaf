#pragma once
#include "platform/Platform.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingRootRunner.h"
#include "support/RecordingUrlOpener.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedRegistry.h"
#include "support/VirtualClock.h"

// Test doubles installed for the lifetime of one object.
struct TestPlatform {
    TestPlatform()
    {
        platform::install(&clock, &dialogs, &settings);
        platform::installRegistry(&registry);
        platform::installUrlOpener(&urls);
        platform::installRootRunner(&root);
    }
    ~TestPlatform()
    {
        platform::install(nullptr, nullptr, nullptr);
        platform::installRegistry(nullptr);
        platform::installUrlOpener(nullptr);
        platform::installRootRunner(nullptr);
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
    // Nor runs anything as root.
    RecordingRootRunner root;
};
