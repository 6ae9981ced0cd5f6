#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class Prompts;
class StatusLog;

// The favourites: ".link" files in likepage/ under the program folder, two
// lines in GB18030 with CR LF, the marker "[Fai.link]" and the address. Names
// come from page titles and typed text; they never leave likepage/, and
// nothing is written through a symbolic link in it. Names
// and the ".link" extension are matched without regard to letter case, as
// on the file systems the Windows program knows, so "主页.LINK" and
// "主页.link" name the same home page.
class Favourites
{
public:
    static QString marker() { return QStringLiteral("[Fai.link]"); }
    // The home page's file as "设为主页" writes it; it is looked up as "主页.link".
    static QString homeFileName() { return QStringLiteral("主页.LINK"); }
    // Title of the favourites' message boxes: the program's own.
    static QString messageTitle() { return QStringLiteral("Zorvane产品图片下载器"); }

    struct OpenRequest
    {
        QUrl url;
        bool newTabFirst = false; // open a tab first: the current one is not blank
    };

    explicit Favourites(const QString &programFolder);

    QString folder() const { return m_folder; }
    // Where the toolbar's "主页" looks.
    QString homePath() const;
    bool ensureFolder() const;
    // File names in the folder, sorted by name.
    QStringList entries() const;

    // The file's two lines.
    static QByteArray fileBytes(const QString &address);

    // openfile: what to open for a file, or nothing. A missing file gives
    // nothing; a ".link" file without the marker or without an address shows
    // "文件格式错误。". Only what the address bar would open is opened:
    // another address, or any file that is not a ".link" file, is refused in
    // the log with the address bar's line. A blank tab (the address bar reads
    // about:blank) is reused unless `stayInTab` already says so.
    std::optional<OpenRequest> openfile(const QString &path, const QString &addressBarText, bool stayInTab,
                                        Prompts &prompts, StatusLog &log) const;

    // "收藏": stores the address under the cleaned caption, "#" in front until
    // the name is free, and says "已经收藏！". An address stored already is
    // not stored again: the message names its favourite. The favourite of the
    // address, or nothing when the address bar would not open the address or
    // the file could not be written (said in a message box).
    std::optional<QString> store(const QString &caption, const QString &address, Prompts &prompts) const;

    // "修改": renames the file to the cleaned answer, "#" in front until the
    // name is free; a favourite stays a ".link" file whether or not the answer
    // ends so. An empty answer, or one that cleaning empties, leaves the entry
    // as it was. The new path, or nothing.
    std::optional<QString> rename(const QString &path, const QString &answer) const;

    // A favourite as the list shows it: its file's name without ".link".
    static QString displayName(const QString &fileName);
    // The favourite that holds this address, or nothing.
    std::optional<QString> holding(const QString &address) const;

    // "设为主页": the file's content becomes the home page.
    bool setHome(const QString &path) const;

    // The existing file whose name equals the path's without regard to case
    // (the exact name first), or nothing.
    static std::optional<QString> findIgnoringCase(const QString &path);

private:
    // The folder's entries of any kind whose name equals `name` without regard to case.
    QStringList entriesNamed(const QString &name) const;
    // A free name in the folder for `name`, with "#" in front as often as
    // needed and cut to what the file system takes; nothing when none fits.
    std::optional<QString> freeName(QString name, const QString &extension) const;

    QString m_folder;
};
