#include "shell/browser/help_commands.h"

#include "platform/desktop/desktop.h"
#include "platform/desktop/prompts.h"
#include "zorvane_version.h"

#include <QRegularExpression>

QString HelpCommands::helpText(const QString &homePage)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("软件功能：Zorvane产品主图和描述图采集下载。") + crlf
        + QStringLiteral("使用方法：方法1)直接在地址栏输入要下载产品详情页的网址，然后点击<采集>按钮，"
                         "待采集完成后点击<下载>按钮，选择目录保存图片。")
        + crlf + QString(10, QLatin1Char(' ')) + QStringLiteral("方法2)直接在地址栏输入")
        + QString(homePage).remove(scheme)
        + QStringLiteral("网址回车，浏览到目标采集产品详情页面，然后点击<采集>按钮，"
                         "待采集完成后点击<下载>按钮，选择目录保存图片。")
        + crlf;
}

QString HelpCommands::versionText()
{
    return QStringLiteral("软件名称：Zorvane图片下载器") + QLatin1Char('\r') + QStringLiteral("软件版本:Ver" ZORVANE_VERSION);
}

HelpCommands::HelpCommands(const QString &homePage, Prompts &prompts, Opener &opener)
    : m_homePage(homePage)
    , m_prompts(prompts)
    , m_opener(opener)
{
}

void HelpCommands::HelpDoc_Click()
{
    m_prompts.showMessage(Prompts::Icon::Information, QStringLiteral("使用帮助"), helpText(m_homePage));
}

void HelpCommands::Ver_Click()
{
    m_prompts.showMessage(Prompts::Icon::Information, QStringLiteral("软件版本信息"), versionText());
}

void HelpCommands::xqkf_Click()
{
    m_opener.openAddress(supportLink());
}
