#include "download/save_folder.h"

#include "collection/status_log.h"
#include "platform/desktop/desktop.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SaveFolder::SaveFolder(SaveFolderSetting &setting, StatusLog &log, FolderPicker &picker, Opener &opener)
    : m_setting(setting)
    , m_log(log)
    , m_picker(picker)
    , m_opener(opener)
{
}

void SaveFolder::ChooseSaveFolder()
{
    const QString folder = m_picker.BrowseForFolder(QStringLiteral("请选择保存目录"), startFolder(m_setting));
    // Cancelling is the user's choice, not a failure.
    if (folder.isEmpty()) {
        m_log.AddMesg(QStringLiteral("保存目录设置已取消"));
        return;
    }
    if (const std::optional<QString> why = refusal(folder)) {
        m_log.AddMesg(QStringLiteral("保存目录设置失败,原因:") + *why);
        return;
    }
    QString error;
    if (!m_setting.setSaveFolder(folder, &error)) {
        m_log.AddMesg(QStringLiteral("保存目录设置失败,原因:配置文件无法写入,") + error);
        return;
    }
    m_log.AddMesg(QStringLiteral("设置采集图片保存至:") + folder);
}

std::optional<QString> SaveFolder::refusal(const QString &folder)
{
    if (!folder.contains(QLatin1Char('|')))
        return std::nullopt;
    return QStringLiteral("目录") + folder
        + QStringLiteral("的路径中有竖线\"|\",下载列表用它分隔各项,请选择路径中没有\"|\"的目录");
}

QString SaveFolder::startFolder(const SaveFolderSetting &setting)
{
    const QString saved = setting.saveFolder();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    for (const QString &folder : {saved, pictures}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

void SaveFolder::OpenSavePathCmd_Click()
{
    const QString folder = m_setting.saveFolder();
    if (folder.isEmpty()) {
        m_log.AddMesg(QStringLiteral("打开失败,原因:未设定保存目录,请选设定"));
        return;
    }
    // Worded as the downloaded list's double-click words it.
    if (const std::optional<QString> failure = openFolderOrSayWhy(m_opener, folder)) {
        m_log.AddMesg(*failure);
        return;
    }
    m_log.AddMesg(QStringLiteral("打开采集保存目录:") + folder);
}
