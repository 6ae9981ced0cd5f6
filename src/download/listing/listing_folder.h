#pragma once

#include <QByteArray>
#include <QString>

// An item's 上架图 folder, made whole or not at all: the files go into a
// hidden folder beside it, which takes 上架图's place in one rename once
// complete. Until then an older 上架图 stays as it was; a folder that is
// dropped (a failure, a cancel) is removed, and one a killed run left behind
// is removed the next time the item's 上架图 is made. Safe on any thread.
class ListingFolder
{
public:
    static QString name() { return QStringLiteral("上架图"); }

    explicit ListingFolder(const QString &itemFolder);
    // Removes the hidden folder unless it was committed.
    ~ListingFolder();
    ListingFolder(const ListingFolder &) = delete;
    ListingFolder &operator=(const ListingFolder &) = delete;

    // Removes leftovers of killed runs and makes the hidden folder. False,
    // with the reason in Chinese, when the item's folder cannot be written.
    bool open(QString *errorText);
    // A file in the hidden folder.
    bool write(const QString &fileName, const QByteArray &bytes, QString *errorText);
    // Takes a file written before out of the hidden folder.
    void remove(const QString &fileName);
    // The hidden folder becomes 上架图 and the old one, if any, is removed.
    bool commit(QString *errorText);

    // 上架图 itself.
    QString path() const;

private:
    QString m_item;
    QString m_hidden;
    bool m_committed = false;
};
