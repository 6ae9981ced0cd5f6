#include "collection/log_notices.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// The program's words for a failure or a refusal, as its messages use them.
const QStringList FailureWords = {
    QStringLiteral("失败"),     QStringLiteral("非法"),         QStringLiteral("无响应"),
    QStringLiteral("拒绝"),     QStringLiteral("只能打开"),     QStringLiteral("不能"),
    QStringLiteral("未能"),     QStringLiteral("无法"),         QStringLiteral("只读"),
    QStringLiteral("无查找结果"), QStringLiteral("未分析到"),     QStringLiteral("已放回待下载列表"),
    QStringLiteral("请待本次"), QStringLiteral("请输入店铺"),     QStringLiteral("可能已下架"),
};

// Messages that report success and quote the user's or a page's text after these words.
const QStringList QuotingOpenings = {
    QStringLiteral("在已下载列表查找到:"), QStringLiteral("在已下载列表选择:"),
    QStringLiteral("已下载列表发生变更,重新查询关键字:"), QStringLiteral("关键字:"),
    QStringLiteral("打开目录:"), QStringLiteral("打开采集保存目录:"), QStringLiteral("设置采集图片保存至:"),
    QStringLiteral("开始下载文件:"), QStringLiteral("文件下载完成:"), QStringLiteral("文件下载已取消:"),
};

// The program's own words in a message.
QString ownWords(const QString &message)
{
    // A collection step stands between the item number and the address: "A-1采集中:加载_http://…".
    const qsizetype step = message.indexOf(QStringLiteral("采集中:"));
    // "采集中:页面被转到<the page's address>,…_": the address is the page's.
    static const QRegularExpression moved(QStringLiteral(
        "采集中:页面被转到.*(,(?:可能已下架|待采到其他宝贝后再判断是否已下架|打开已采集的宝贝页面核对|没有已采集的宝贝页面可供核对)_)"));
    if (step >= 0) {
        if (const QRegularExpressionMatch m = moved.match(message, step); m.hasMatch())
            return QStringLiteral("采集中:页面被转到") + m.captured(1);
        const qsizetype end = message.indexOf(QLatin1Char('_'), step);
        return message.mid(step, end < 0 ? -1 : end - step);
    }
    // An item's line is quoted in angle brackets, and may hold "->" itself.
    static const QRegularExpression quotedLine(QStringLiteral("<.*>"));
    QString own = message;
    own.remove(quotedLine);
    return own;
}

} // namespace

bool isFailureNotice(const QString &message)
{
    // Stepping past the last or first hit is refused; the keyword is the user's.
    if (message.startsWith(QStringLiteral("查找关键字:")))
        return message.endsWith(QStringLiteral("无法下一个")) || message.endsWith(QStringLiteral("无法上一个"));
    if (message.startsWith(QStringLiteral("修改宝贝货号")) && !message.startsWith(QStringLiteral("修改宝贝货号失败")))
        return false;
    if (message.endsWith(QStringLiteral("已添加到宝贝列表!")))
        return false;
    for (const QString &opening : QuotingOpenings) {
        if (message.startsWith(opening))
            return false;
    }
    const QString own = ownWords(message);
    for (const QString &word : FailureWords) {
        if (own.contains(word))
            return true;
    }
    return false;
}
