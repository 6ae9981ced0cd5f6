#pragma once

#include "collection/item_record.h"
#include "collection/page_document.h"

#include <QString>

#include <optional>

// The text of the page's first <title>; nothing when the page has none, in
// which case callers keep the title they had.
std::optional<QString> GetPageTitle(const PageSnapshot &page);

// Parses the first "mod-detail-attributes" block into the record, if any.
void PickAttributes(const PageSnapshot &page, ItemRecord &record);

// Appends the (name, value) pairs of an attribute table, serialised one cell
// per line, to the record's AttrList; a "货号" pair sets PickItemNo.
void ParseAttributeTable(const QString &markup, ItemRecord &record);
