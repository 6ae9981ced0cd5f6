#include "download/listing/listing_options.h"

#include <QStringList>

namespace {

QString rangeProblem(const QString &name, int value, const ListingRange &range, const QString &unit)
{
    if (range.contains(value))
        return {};
    return QStringLiteral("%1%2%3超出范围,只能是%4到%5%3").arg(name).arg(value).arg(unit).arg(range.least).arg(range.most);
}

} // namespace

QString listingOptionsProblem(const ListingOptions &options)
{
    const QString px = QStringLiteral("像素");
    QStringList problems{
        rangeProblem(QStringLiteral("主图边长"), options.mainSide, MainSideRange, px),
        rangeProblem(QStringLiteral("描述图宽度"), options.descWidth, DescWidthRange, px),
        rangeProblem(QStringLiteral("描述图切片高度"), options.sliceHeight, SliceHeightRange, px),
        rangeProblem(QStringLiteral("文件大小上限"), options.sizeLimitKB, SizeLimitRange, QStringLiteral("KB")),
    };
    problems.removeAll(QString());
    return problems.join(QStringLiteral(";"));
}
