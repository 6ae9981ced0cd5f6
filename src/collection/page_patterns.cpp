#include "collection/page_patterns.h"

QRegularExpression pagePattern(const QString &pattern)
{
    QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
    re.optimize();
    return re;
}

QStringList allMatches(const QRegularExpression &pattern, const QString &text)
{
    QStringList found;
    QRegularExpressionMatchIterator it = pattern.globalMatch(text);
    while (it.hasNext())
        found.append(it.next().captured(0));
    return found;
}
