#pragma once

#include "lists/item_lines.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// Reads a saved picture's pixel size from its header, without decoding it.
class PictureHeaders
{
public:
    virtual ~PictureHeaders() = default;
    // Nothing when the file is missing, empty or no picture of a readable format.
    virtual std::optional<QSize> pictureSize(const QString &path) const = 0;
};

// One picture of a downloaded item, or the gap where numbered pictures are missing.
struct ItemPicture
{
    enum class Kind { Main, Desc };
    enum class State { Shown, Missing, Unreadable };

    Kind kind = Kind::Main;
    State state = State::Shown;
    int number = 0;
    int lastNumber = 0; // a gap of several missing pictures ends here; otherwise `number`
    QString path;       // empty for a gap
    QSize size;         // valid when shown

    // "主图3", or "描述图2–4" for a gap of three.
    QString name() const;
    // "800×1200", "缺失" or "无法读取".
    QString note() const;
};

// What the window shows of a downloaded item.
struct ItemPictures
{
    DownloadedLine line;
    // 主图 by number, then 描述图 by number, gaps included.
    QList<ItemPicture> pictures;
    // What is wrong beyond single pictures (the folder gone), in Chinese.
    QStringList problems;

    int count(ItemPicture::Kind kind) const;
};

// The 主图 and 描述图 saved in the item's folder, in page order. Missing
// folders and pictures are reported, never thrown at the caller.
ItemPictures readItemPictures(const DownloadedLine &line, const PictureHeaders &headers);

// The number in a saved picture's name: 12 for "主图12.jpg" with the prefix
// "主图". The download appends the address's last four characters as they
// stand, so they may hold digits too ("主图12800" is number 1 of ".../x2800").
// Nothing for a name the download does not give.
std::optional<int> pictureNumber(const QString &fileName, const QString &prefix);
