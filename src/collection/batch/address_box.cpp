#include "collection/batch/address_box.h"

#include "lists/item_lines.h"
#include "lists/list_store.h"

void giveBackToAddressBox(ListStore &lists, const QString &line, const QString &itemNo, const QString &address)
{
    const QString back = address.isEmpty() ? line : UrlInputLine{address, itemNo}.toString();
    const QString box = lists.AddUrlText();
    lists.setAddUrlText(box.isEmpty() ? back : box + QStringLiteral("\r\n") + back);
}
