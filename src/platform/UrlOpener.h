#pragma once
#include <QList>
#include <QUrl>

// Hands a document or an address to the desktop, which opens it in the program the user has
// chosen for it (a browser, a text viewer, a manual-page viewer). Nothing waits for it.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // False when the desktop has no program for it or the program does not start.
    virtual bool open(const QUrl &url) = 0;
};

class DesktopUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl &url) override;
};

namespace platform {
// The DesktopUrlOpener unless a test has installed its own.
UrlOpener &urlOpener();
void installUrlOpener(UrlOpener *opener);
} // namespace platform
