#include "lists/list_store.h"

#include "collection/marketplace.h"

QString ListStore::designText()
{
    const QString offer = QStringLiteral("http://") + Marketplace().detailHost + QStringLiteral("/offer/");
    return QStringLiteral("宝贝url|自定义宝贝名（可选)\r\n") + offer + QStringLiteral("520136748913.html|货1\r\n")
        + offer + QStringLiteral("538254107726.html|货2");
}

ListStore::ListStore(QObject *parent)
    : QObject(parent)
    , m_addUrlText(designText())
{
}

QString ListStore::AddUrlText() const
{
    return m_addUrlText;
}

void ListStore::setAddUrlText(const QString &text)
{
    if (text == m_addUrlText)
        return;
    m_addUrlText = text;
    emit addUrlTextChanged(m_addUrlText);
}

ItemList &ListStore::readyDownList()
{
    return m_readyDownList;
}

const ItemList &ListStore::readyDownList() const
{
    return m_readyDownList;
}

ItemList &ListStore::AlreadyDownedList()
{
    return m_alreadyDownedList;
}

const ItemList &ListStore::AlreadyDownedList() const
{
    return m_alreadyDownedList;
}
