#pragma once
#include "platform/RootRunner.h"

#include <QList>

// Test double for pkexec: records every command it is asked to run as root and runs none.
// `launcher` empty stands for a system without pkexec.
class RecordingRootRunner final : public RootRunner {
public:
    QString launcher() const override { return pkexec; }
    RootResult run(const RootCommand &command) override
    {
        ran << command;
        return answer;
    }

    QString pkexec = QStringLiteral("/usr/bin/pkexec");
    RootResult answer{RootResult::Outcome::Done, 0, {}};
    QList<RootCommand> ran;
};
