// Time per page of the analysis of a large detail page (about 1 MB of
// serialised markup): image extraction in extract mode and attribute parsing.
#include "collection/page_analysis.h"
#include "collection/page_attributes.h"

#include <benchmark/benchmark.h>

namespace {

QString address(int n, const char *ext)
{
    return QStringLiteral("https://cbu01.zorvane-img.com/img/ibank/2026/%1/%2/O1CN01abcdefghij_!!%3-0-cib.%4")
        .arg(n % 97)
        .arg(n * 7919 % 100000)
        .arg(2200000000LL + n)
        .arg(QLatin1String(ext));
}

// The gallery as the serialiser writes it: JSON in data attributes, several
// entries to a line, every fourth image named again.
QString galleryBlock(int entries)
{
    QString html = QStringLiteral("\r\n<DIV class=tab-content>\r\n<UL class=\"nav nav-tabs fd-clr\">");
    for (int i = 0; i < entries; ++i) {
        const int n = i % 4 == 3 ? i - 3 : i;
        const QString original = address(n, n % 5 == 0 ? "png" : "jpg");
        html += QStringLiteral("\r\n<LI class=tab-trigger data-imgs=\"{\"preview\":\"%1\",\"original\":\"%2\"}\">"
                               "\r\n<DIV class=vertical-img><A class=box-img href=\"javascript:void(0);\">"
                               "<IMG src=\"%3\" alt=\"2026新款女装连衣裙 第%4张\"></A></DIV></LI>")
                    .arg(address(n, "400x400.jpg"), original, address(n, "60x60.jpg"), QString::number(i));
    }
    return html + QStringLiteral("</UL></DIV>");
}

QString attributeBlock(int rows)
{
    QString html = QStringLiteral("\r\n<DIV class=obj-content>\r\n<TABLE>\r\n<TBODY>");
    for (int i = 0; i < rows; ++i)
        html += QStringLiteral("\r\n<TR>\r\n<TD class=de-feature>属性%1</TD>\r\n<TD class=de-value>值 %1 纯棉 宽松 百搭</TD>"
                               "\r\n<TD class=de-feature>%2</TD>\r\n<TD class=de-value>A-%1</TD></TR>")
                    .arg(QString::number(i), i == rows / 2 ? QStringLiteral("货号") : QStringLiteral("规格%1").arg(i));
    return html + QStringLiteral("</TBODY></TABLE></DIV>");
}

// Description: pictures inside long paragraphs of text, and links that are no pictures.
QString descriptionBlock(int pictures)
{
    QString html;
    for (int i = 0; i < pictures; ++i) {
        html += QStringLiteral("\r\n<P><SPAN style=\"font-size: 14px; color: #333\">");
        html += QStringLiteral("本店所有商品均为实物拍摄，").repeated(8);
        html += QStringLiteral("<A href=\"http://myshop.zorvane.com/page/contactinfo.htm\">联系我们</A>");
        html += QStringLiteral("<IMG style=\"width: 750px\" src=\"%1\"></SPAN></P>").arg(address(10000 + i, "jpg"));
    }
    return html;
}

struct LargePage
{
    PageSnapshot snapshot;
    QString attributes;
    qint64 bytes = 0;
};

const LargePage &largePage()
{
    static const LargePage page = [] {
        LargePage p;
        p.snapshot.valid = true;
        p.snapshot.hasTitle = true;
        p.snapshot.title = QStringLiteral("2026新款女装连衣裙");
        p.attributes = attributeBlock(1500);
        p.snapshot.blocks = {{QStringLiteral("mod-detail"), galleryBlock(1000)},
                             {QStringLiteral("mod-detail-attributes"), p.attributes},
                             {QStringLiteral("desc-lazyload-container"), descriptionBlock(800)}};
        for (const PageBlock &b : p.snapshot.blocks)
            p.bytes += b.innerHtml.toUtf8().size();
        return p;
    }();
    return page;
}

void BM_AnalysePageExtract(benchmark::State &state)
{
    const LargePage &page = largePage();
    const Marketplace marketplace;
    ItemRecordTable records;
    ShopLinks shop;
    PageAnalyser analyser(marketplace, records, shop);
    ItemRecord &record = records.record(0);
    for (auto _ : state) {
        record.MainImgList.clear();
        record.DescImgList.clear();
        benchmark::DoNotOptimize(analyser.AnalysePage(page.snapshot, 1, 0, false));
    }
    state.SetBytesProcessed(state.iterations() * page.bytes);
    state.counters["markup_bytes"] = double(page.bytes);
    state.counters["main_images"] = double(record.MainImgList.size());
    state.counters["desc_images"] = double(record.DescImgList.size());
}
BENCHMARK(BM_AnalysePageExtract)->Unit(benchmark::kMillisecond);

void BM_ParseAttributeTable(benchmark::State &state)
{
    const LargePage &page = largePage();
    const qint64 bytes = page.attributes.toUtf8().size();
    ItemRecord record;
    for (auto _ : state) {
        record.AttrList.clear();
        ParseAttributeTable(page.attributes, record);
        benchmark::DoNotOptimize(record.AttrList.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["markup_bytes"] = double(bytes);
    state.counters["pairs"] = double(record.AttrList.size());
}
BENCHMARK(BM_ParseAttributeTable)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
