#include "lists/item_number_edit.h"

#include "collection/status_log.h"
#include "collection/text_helpers.h"
#include "lists/downloaded_search.h"
#include "lists/item_lines.h"
#include "lists/item_list.h"
#include "lists/list_commands.h"
#include "lists/list_file.h"

namespace {
constexpr int RewrittenFields = 4; // the rewrite reads title, folder and address
}

ItemNumberEdit::ItemNumberEdit(ItemList &downloaded, ListFile &listFile, DownloadedSearch &search, StatusLog &log,
                               QObject *parent)
    : QObject(parent)
    , m_downloaded(downloaded)
    , m_listFile(listFile)
    , m_search(search)
    , m_log(log)
    , m_text(hintText())
{
    connect(&search, &DownloadedSearch::findStrTextVisibleChanged, this, [this](bool visible) {
        if (visible)
            closeBox();
    });
}

void ItemNumberEdit::setNewBabyNumText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    emit changed();
}

void ItemNumberEdit::NewBabyNumText_GotFocus()
{
    if (m_text == hintText())
        setNewBabyNumText(QString());
}

void ItemNumberEdit::EditBabyNumCmd_Click()
{
    m_log.AddMesg(QStringLiteral("请先选中要修改的宝贝,然后输入新货号,最后确定修改"));
    if (!m_boxVisible) {
        m_search.closeBox();
        m_boxVisible = true;
        emit changed();
        // The entries the user selected are the ones to renumber: the refresh must not move them.
        m_search.refreshHits();
        m_listFile.SaveLists();
        return;
    }
    m_boxVisible = false;
    emit changed();
    const QString number = m_text;
    if (number.isEmpty() || number == hintText())
        return;
    // A typed "|" would shift the fields of the line.
    apply(PlainPageText(number));
    setNewBabyNumText(hintText());
    m_search.FindADLSub();
    m_listFile.SaveLists();
}

void ItemNumberEdit::closeBox()
{
    if (!m_boxVisible)
        return;
    m_boxVisible = false;
    m_text = hintText();
    emit changed();
}

void ItemNumberEdit::apply(const QString &number)
{
    const bool numberedThrough = m_downloaded.selectedCount() >= 2;
    int suffix = 1;
    walkSelection(m_downloaded, [&](int position, const QString &line) {
        if (!hasFields(line, RewrittenFields)) {
            m_log.AddMesg(QStringLiteral("修改宝贝货号失败<") + line + QStringLiteral(">,原因:该行字段不全"));
            return false;
        }
        DownloadedLine item = DownloadedLine::parse(line);
        const QString old = item.itemNo;
        item.itemNo = numberedThrough ? number + QLatin1Char('_') + QString::number(suffix++) : number;
        m_downloaded.replace(position, item.toString());
        m_log.AddMesg(QStringLiteral("修改宝贝货号") + old + QStringLiteral("至") + item.itemNo);
        return false;
    });
}
