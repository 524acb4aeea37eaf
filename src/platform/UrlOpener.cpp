#include "platform/UrlOpener.h"

#include <QDesktopServices>

namespace {
UrlOpener *s_installed = nullptr;
} // namespace

bool DesktopUrlOpener::open(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

namespace platform {

UrlOpener &urlOpener()
{
    static DesktopUrlOpener desktop;
    return s_installed ? *s_installed : desktop;
}

void installUrlOpener(UrlOpener *opener)
{
    s_installed = opener;
}

} // namespace platform
