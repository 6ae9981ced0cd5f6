#pragma once

#include "collection/item_record.h"
#include "download/info_file.h"
#include "lists/item_lines.h"
#include "platform/files/text_file.h"
#include "pictures.h"
#include "test_files.h"

#include <QDateTime>
#include <QDir>
#include <QSize>
#include <QString>

// One downloaded item as a test wants it on disk.
struct FolderPlan
{
    QString itemNo;
    QString title;
    QList<AttributePair> attributes;
    QSize mainSize{800, 800}; // every main picture's size
    int mainPictures = 2;
    int descPictures = 3;
    bool folder = true;
    bool infoFile = true;
};

inline QString testAddress(const FolderPlan &plan)
{
    return QStringLiteral("https://detail.zorvane.com/offer/%1.html?spm=a:b").arg(plan.itemNo);
}

// The item's folder under output, laid out as the item download leaves it
// (主图/主图i.jpg, 描述图/描述图k.jpg, 宝贝基本信息.txt), and its downloaded-list line.
inline DownloadedLine makeItemFolder(const QString &output, const FolderPlan &plan)
{
    const QString folder = QDir(output).filePath(plan.title.isEmpty() ? plan.itemNo : plan.title);
    const DownloadedLine line{plan.itemNo, plan.title, folder, testAddress(plan)};
    if (!plan.folder)
        return line;
    QDir().mkpath(folder + QStringLiteral("/主图"));
    QDir().mkpath(folder + QStringLiteral("/描述图"));
    const QByteArray main = makePicture(plan.mainSize.width(), plan.mainSize.height());
    for (int i = 1; i <= plan.mainPictures; ++i)
        writeBytes(folder + QStringLiteral("/主图/主图%1.jpg").arg(i), main);
    const QByteArray desc = makePicture(790, 300);
    for (int k = 1; k <= plan.descPictures; ++k)
        writeBytes(folder + QStringLiteral("/描述图/描述图%1.jpg").arg(k), desc);
    if (plan.infoFile) {
        ItemRecord record;
        record.PickItemNo = plan.itemNo;
        record.PickUrl = line.address;
        record.AttrList = plan.attributes;
        writeLocalTextFile(folder + QLatin1Char('/') + InfoFileName,
                           infoFileText(record, plan.title, QDateTime::currentDateTime()));
    }
    return line;
}
