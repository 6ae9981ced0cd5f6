#include "collection/page_attributes.h"

#include "collection/page_patterns.h"

#include <algorithm>

namespace {

// Only the upper-case tags the serialiser writes are removed; anything else
// stays in the text.
QString cellText(QString match, QLatin1String openTag)
{
    return match.remove(openTag).remove(QLatin1String("</TD>"));
}

} // namespace

std::optional<QString> GetPageTitle(const PageSnapshot &page)
{
    if (!page.valid || !page.hasTitle)
        return std::nullopt;
    return page.title;
}

void PickAttributes(const PageSnapshot &page, ItemRecord &record)
{
    const auto it = std::find_if(page.blocks.cbegin(), page.blocks.cend(),
                                 [](const PageBlock &b) { return b.id == u"mod-detail-attributes"; });
    if (it != page.blocks.cend())
        ParseAttributeTable(it->innerHtml, record);
}

void ParseAttributeTable(const QString &markup, ItemRecord &record)
{
    // Greedy to the last </td> of the line: clean only when each cell stands on
    // a line of its own, as the document serialiser writes it.
    static const QRegularExpression namePattern = pagePattern(QStringLiteral("<td class=de-feature>.*</td>"));
    static const QRegularExpression valuePattern = pagePattern(QStringLiteral("<td class=de-value>.*</td>"));
    const QStringList names = allMatches(namePattern, markup);
    const QStringList values = allMatches(valuePattern, markup);
    const qsizetype pairs = std::min(names.size(), values.size());
    for (qsizetype i = 0; i < pairs; ++i) {
        const QString name = cellText(names.at(i), QLatin1String("<TD class=de-feature>"));
        const QString value = cellText(values.at(i), QLatin1String("<TD class=de-value>"));
        record.AttrList.append({name, value});
        if (name == u"货号")
            record.PickItemNo = value;
    }
}
