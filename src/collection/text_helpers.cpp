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

int FindTabPos(const QList<qint16> &tabList, qint16 browserIndex)
{
    int found = 0;
    for (int position = 1; position <= tabList.size(); ++position) {
        if (tabList.at(position - 1) == browserIndex)
            found = position;
    }
    return found;
}
