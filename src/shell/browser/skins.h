#pragma once

#include <QString>
#include <QStringList>

class Settings;

// Skins: Qt style sheets in 皮肤/ under the program folder, applied to the
// whole program. The choice is kept in config.ini as "skin" (file name) and
// "skinid" (position in the skin window's list).
class Skins
{
public:
    // `shippedFolders`: where the skins that come with the program lie; the
    // first one that exists fills a skin folder that is being created.
    Skins(const QString &programFolder, Settings &settings, QStringList shippedFolders = shippedSkinFolders());

    // Beside the executable (build tree, portable use) and in the installed data folder.
    static QStringList shippedSkinFolders();

    QString folder() const { return m_folder; }
    // Creates the folder when missing, with the shipped skins in it.
    bool ensureFolder() const;
    // The folder's files, sorted by name.
    QStringList entries() const;
    // A skin file's name as the skin window shows it: without ".qss".
    static QString displayName(const QString &fileName);

    // ApplySkin: the file's style sheet becomes the program's look. A file
    // that is not a readable style sheet (missing, not UTF-8 text, no rule,
    // refused by Qt's parser) leaves the look as it was: false.
    static bool ApplySkin(const QString &path);

    // The start-up step: applies the stored "skin"; an empty value (the
    // default) keeps the plain look.
    void applyStored() const;

    // SkinFile_Click for the entry `name` at `row` of the skin window's list:
    // applies it and stores "skin" and "skinid" (the choice is stored even
    // when the file cannot be applied).
    void pick(const QString &name, int row) const;

    // The plain look again: no style sheet, "skin" and "skinid" emptied.
    void restoreDefaultLook() const;

    // The row "skinid" names in a list of `count` entries, or -1 when it
    // names none (missing, empty, not a number, out of range).
    int storedRow(int count) const;

private:
    QString m_folder;
    Settings &m_settings;
    QStringList m_shipped;
};
