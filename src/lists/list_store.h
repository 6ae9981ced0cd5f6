#pragma once

#include "lists/item_list.h"

#include <QObject>
#include <QString>

// The three lists of the batch side: the address input box (free text whose
// lines are joined by CR LF), the pending list and the downloaded list.
class ListStore : public QObject
{
    Q_OBJECT
public:
    // The input box's text before the first load: a header line and two examples.
    static QString designText();

    explicit ListStore(QObject *parent = nullptr);

    QString AddUrlText() const;
    void setAddUrlText(const QString &text);

    ItemList &readyDownList();
    const ItemList &readyDownList() const;
    ItemList &AlreadyDownedList();
    const ItemList &AlreadyDownedList() const;

signals:
    void addUrlTextChanged(const QString &text);

private:
    QString m_addUrlText;
    ItemList m_readyDownList;
    ItemList m_alreadyDownedList;
};
