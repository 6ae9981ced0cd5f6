#pragma once

#include <QString>

#include <functional>
#include <optional>

// An item's folder is written under a hidden staging name in the save folder
// and renamed to its own name only once its pictures and info file are on
// disk, so a crash never leaves half an item under an item's name. The name is
// claimed when the folder is staged (several collectors make theirs in taking
// order: T, T1, T11), and kept from every other folder staged by this process
// until it is committed or dropped.
class StagedFolder
{
public:
    // Whether the folder already there under a wanted name is a whole copy of
    // this very item that no list names (a run killed before it saved its
    // lists): that name is taken over rather than passed for the next number.
    using IsOrphanCopy = std::function<bool(const QString &folder)>;

    StagedFolder() = default;
    ~StagedFolder();
    StagedFolder(const StagedFolder &) = delete;
    StagedFolder &operator=(const StagedFolder &) = delete;

    // Claims the first free name of wanted, wanted1, wanted2 ... and makes
    // the staging folder. False, with the reason in Chinese, when it cannot.
    bool stage(const QString &wanted, const IsOrphanCopy &isOrphanCopy, QString *errorText);
    QString stagingPath() const { return m_staging; }
    // Where the item will stand; it may still change if another program takes the name first.
    QString finalPath() const { return m_final; }
    // Renames the staging folder to its final name (replacing the orphan copy
    // it took over). False, with the reason in Chinese, when it cannot.
    bool commit(QString *errorText);
    // Removes the staging folder and lets the name go.
    void drop();

    // The staging folders of runs that ended without committing them (their
    // process is gone) are removed; returns how many.
    static int removeLeftovers(const QString &saveFolder);
    static bool isStagingName(const QString &name);

private:
    void release();

    QString m_wanted;
    QString m_final;
    QString m_staging;
    bool m_replaces = false; // m_final holds an orphan copy that the commit replaces
    bool m_holdsClaim = false;
};
