#include "collection/text_helpers.h"

#include <array>

QString CleanName(const QString &text)
{
    static const std::array<QString, 14> removed = {
        QStringLiteral("/"), QStringLiteral("\\"), QStringLiteral(":"), QStringLiteral("|"),
        QStringLiteral("*"), QStringLiteral("?"),  QStringLiteral("<"), QStringLiteral(">"),
        QStringLiteral("-"), QStringLiteral(" "),  QStringLiteral(":"), QStringLiteral("..."),
        QStringLiteral("Pick"), QStringLiteral("\""),
    };
    QString result = text;
    for (const QString &piece : removed)
        result.remove(piece, Qt::CaseSensitive);
    return result;
}

namespace {

bool isControl(QChar c)
{
    const QChar::Category category = c.category();
    return category == QChar::Other_Control || category == QChar::Separator_Line
        || category == QChar::Separator_Paragraph;
}

} // namespace

QString PlainPageText(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    bool inRun = false;
    for (const QChar c : text) {
        if (isControl(c)) {
            if (!inRun)
                plain.append(QLatin1Char(' '));
            inRun = true;
            continue;
        }
        inRun = false;
        plain.append(c == u'|' ? QChar(0xFF5C) : c);
    }
    return plain;
}

QString BlankControls(const QString &text)
{
    QString blanked = text;
    for (QChar &c : blanked) {
        if (isControl(c))
            c = QLatin1Char(' ');
    }
    return blanked;
}

QString CleanPageTitle(const QString &title)
{
    // The plain-text rule first would turn "|" into "｜" before CleanName could remove it.
    return PlainPageText(CleanName(BlankControls(title)));
}

QString PlainPageAddress(const QString &address)
{
    QString plain;
    plain.reserve(address.size());
    for (const QChar c : address) {
        if (c == u'|' || isControl(c))
            plain += QString::fromLatin1(QByteArray(QString(c).toUtf8()).toPercentEncoding());
        else
            plain.append(c);
    }
    return plain;
}

int FindTabPos(const QList<qint16> &tabList, qint16 browserIndex)
{
    int found = 0;
    for (int position = 1; position <= tabList.size(); ++position) {
        if (tabList.at(position - 1) == browserIndex)
            found = position;
    }
    return found;
}
