#pragma once
#include "platform/UrlOpener.h"

#include <QList>
#include <QUrl>

// Test double: records what would have been opened, opens nothing.
class RecordingUrlOpener final : public UrlOpener {
public:
    bool open(const QUrl &url) override
    {
        opened << url;
        return succeeds;
    }
    QList<QUrl> opened;
    bool succeeds = true;
};
