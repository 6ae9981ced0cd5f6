#pragma once

#include <QLockFile>
#include <QString>

#include <optional>

class BatchCycle;
class ListFile;

// One copy of the program at a time keeps the lists of a program folder.
// The first copy takes the lock on listdata.txt and owns the file; a copy
// started while the lock is held works on a read-only view of the lists and
// never writes listdata.txt, so that its stale view cannot overwrite what
// the owner saved. The lock lasts until the owner ends (its lock file names
// the process, so a crashed owner's lock is taken over by the next copy).
// Take it before the lists are loaded, keep it until after the last save.
class ListsLock
{
public:
    enum class State
    {
        Owner,         // this copy keeps the lists
        HeldElsewhere, // another running copy keeps them: read-only here
        Unavailable,   // no lock file can be made (the folder is not writable);
                       // the lists' own saves then report why they fail
    };

    explicit ListsLock(const QString &programFolder);

    // Who holds the lock, as its lock file says.
    struct Holder
    {
        qint64 pid = 0;
        QString host;
        QString program; // the holder's executable file name
        bool isWindow() const { return program == windowProgram(); }
    };
    // The window's executable file name, which QLockFile writes into its lock file.
    static QString windowProgram() { return QStringLiteral("zorvane-picker"); }

    // Tries once, without waiting.
    State acquire();
    // Nothing when the lock is not held elsewhere or its file cannot be read.
    std::optional<Holder> holder() const;
    // While another runner holds the lock: runs the application's event loop
    // (before anything else uses it), trying again every PollMs, until the
    // lock is had, a window holds it or `seconds` have passed. Where it ended.
    State waitWhileRunnerHolds(int seconds);
    static constexpr int PollMs = 2000;
    State state() const { return m_state; }
    bool mayWriteLists() const { return m_state != State::HeldElsewhere; }

    // After acquire(), before the lists load: a copy that does not own the
    // lists never writes them and never collects (it would take the owner's
    // items); its starts are refused with startRefusedNotice().
    void guard(ListFile &listFile, BatchCycle &batch) const;

    // Why a read-only copy does not collect: it would take the owner's items.
    static QString startRefusedNotice();
    // The headless runner, when a window or another runner keeps the lists.
    static QString runnerRefusedNotice(const QString &programFolder);

private:
    QLockFile m_lock;
    State m_state = State::Unavailable;
};
