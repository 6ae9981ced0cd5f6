#include "collection/page_document.h"

#include <QPointer>

void PageDocument::NavigateAndRead(const QString &address, const QObject *context,
                                   std::function<void(const PageSnapshot &)> done)
{
    connect(this, &PageDocument::loadEnded, context,
            [this, guard = QPointer<const QObject>(context), done = std::move(done)](bool, bool) {
                readSnapshot([guard, done](const PageSnapshot &page) {
                    if (guard)
                        done(page);
                });
            },
            Qt::SingleShotConnection);
    Navigate(address);
}
