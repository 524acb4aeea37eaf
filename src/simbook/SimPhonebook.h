#pragma once
#include "simbook/SimBookAnswers.h"
#include "simbook/SimListFormat.h"
#include "simbook/SimWritePlan.h"

#include <QList>
#include <functional>

class ModemTask;

// How a read-out or a write ended.
struct SimRunResult {
    enum class End {
        NotStarted, // port closed, nothing to read or write, a row that cannot be sent, or the
                    // question answered No: nothing went out
        Done,
        Failed,     // the modem answered with an error, with neither OK nor ERROR, or not at all
        Stopped,    // the caller asked to stop before the next step
    };
    End end = End::NotStarted;
    int step = 0;  // the location (read-out) or entry (write) it ended at; 0 before the first
    int count = 0; // how many it set out to do
};

// The SIM card's phonebook "SM" over the main window's port, one synchronous exchange per
// command of the task given. Reading goes one location per command, so a large count takes
// minutes: the hooks let the window show where it is, and a cancelled task stops the run
// between two commands.
class SimPhonebook {
public:
    // Before each location or entry, with its number and the count.
    std::function<void(int step, int count)> onStep;
    // Read-out: the count is known and the first location is about to be read.
    std::function<void(int count)> onCount;
    // Read-out: location i has been read.
    std::function<void(int location, const SimBookEntry &entry)> onEntry;

    // AT+CPBS="SM", AT+CPBR=? (shown in the terminal only), then locations 1 to the count
    // taken from countText. Stops at the first failed command; what was read so far stays.
    SimRunResult readOut(ModemTask &task, const QString &countText);

    // Asked once everything is checked and before anything is sent; false sends nothing.
    std::function<bool(const SimWritePlan &plan)> onConfirm;
    // Write: a step of the plan has been carried out.
    std::function<void(const SimWriteStep &step)> onWritten;

    // AT+CPBS="SM", then one AT+CPBW per step of the plan. Every entry to be sent is checked
    // before anything is sent. Stops at the first failed command; what was written so far
    // stays on the card.
    SimRunResult write(ModemTask &task, const SimWritePlan &plan);

private:
    bool selectStorage(ModemTask &task);
};

extern const QString kSimUnsafeEntryMessage;
extern const QString kSimNothingToWriteMessage;
