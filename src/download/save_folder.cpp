#include "download/save_folder.h"

#include "collection/status_log.h"
#include "platform/desktop.h"
#include "shell/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SaveFolder::SaveFolder(Settings &settings, StatusLog &log, FolderPicker &picker, Opener &opener)
    : m_settings(settings)
    , m_log(log)
    , m_picker(picker)
    , m_opener(opener)
{
}

void SaveFolder::ChooseSaveFolder()
{
    const QString folder = m_picker.BrowseForFolder(QStringLiteral("请选择保存目录"), startFolder(m_settings));
    if (folder.isEmpty()) {
        m_log.AddMesg(QStringLiteral("保存目录设置失败,原因:未选择正确目录!"));
        return;
    }
    QString error;
    if (!m_settings.SaveConfigValue(QStringLiteral("PicOutPutPath"), folder, &error)) {
        m_log.AddMesg(QStringLiteral("保存目录设置失败,原因:配置文件无法写入,") + error);
        return;
    }
    m_log.AddMesg(QStringLiteral("设置采集图片保存至:") + folder);
}

QString SaveFolder::startFolder(const Settings &settings)
{
    const QString saved = settings.LoadConfigValue(QStringLiteral("PicOutPutPath"));
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    for (const QString &folder : {saved, pictures}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

void SaveFolder::OpenSavePathCmd_Click()
{
    const QString folder = m_settings.LoadConfigValue(QStringLiteral("PicOutPutPath"));
    if (folder.isEmpty()) {
        m_log.AddMesg(QStringLiteral("打开失败,原因:未设定保存目录,请选设定"));
        return;
    }
    // Worded as the downloaded list's double-click words it.
    if (!QFileInfo(folder).isDir()) {
        m_log.AddMesg(QStringLiteral("打开目录失败,原因:目录不存在:") + folder);
        return;
    }
    if (!m_opener.openFolder(folder)) {
        m_log.AddMesg(QStringLiteral("打开目录失败,原因:系统没有可用的文件管理器:") + folder);
        return;
    }
    m_log.AddMesg(QStringLiteral("打开采集保存目录:") + folder);
}
