#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class ListStore;
class StatusLog;

// listdata.txt: the three lists under their tag lines, GB18030 with CR LF.
class ListFile : public QObject
{
    Q_OBJECT
public:
    ListFile(ListStore &lists, StatusLog &log, const QString &path, QObject *parent = nullptr);

    QString path() const;

    // Writes the lists as they are now, through a temporary file: a failed save
    // is logged with its reason and leaves the previous file as it was. A file
    // that did not load cleanly is first copied aside under a dated name.
    bool SaveLists();
    // Why the last SaveLists failed; empty after one that worked.
    QString lastError() const { return m_lastError; }
    // The lists as SaveLists writes them, in a new file in `folder` named
    // after the list file and the present time (listdata-20261206-112332.txt):
    // for when the list file itself cannot be written. The copy's path, or
    // nothing when it cannot be written there either.
    std::optional<QString> saveDatedCopy(const QString &folder);

    // A copy of the program that does not own the lists (another copy keeps
    // them) never writes the file: SaveLists then leaves it as it is.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

    // Adds the file's entries to the lists (meant for start-up, when they are
    // empty); false when the file cannot be opened. GB18030, or UTF-8 when the
    // file starts with its byte-order mark.
    bool LoadLists();

    // Lines written at the top of the pending section although the list no
    // longer holds them: the items under way, so that a crash does not lose them.
    void setUnderWayLines(std::function<QStringList()> lines) { m_underWay = std::move(lines); }

signals:
    // The file on disk now holds the lists as they are.
    void written();

private:
    QString listText() const;
    // A name in `folder` that no file has yet, after the list file and the present time.
    QString datedName(const QString &folder) const;
    bool keepCopyOfUnreadFile();

    ListStore &m_lists;
    StatusLog &m_log;
    QString m_path;
    std::function<QStringList()> m_underWay;
    bool m_keepCopy = false; // the file on disk holds what the lists could not take in
    bool m_readOnly = false;
    QString m_lastError;
};
