#include "collection/page_document.h"

#include "platform/net/web_address.h"

#include <QPointer>
#include <QTimer>
#include <QUrl>

void PageDocument::readSnapshot(std::function<void(const PageSnapshot &)> done)
{
    QPointer<PageDocument> self(this);
    querySnapshot([self, done = std::move(done)](const PageSnapshot &page) {
        if (self && page.valid)
            self->m_lastToken = page.documentToken;
        done(page);
    });
}

void PageDocument::NavigateAndRead(const QString &address, const QObject *context,
                                   std::function<void(const PageLoad &)> done)
{
    // The collector loads web pages only.
    if (!isWebAddress(QUrl::fromUserInput(address))) {
        QTimer::singleShot(0, context, [done = std::move(done)] { done(PageLoad{PageLoad::NotAnAddress, {}}); });
        return;
    }
    const QString before = m_lastToken;
    connect(this, &PageDocument::loadEnded, context,
            [this, before, guard = QPointer<const QObject>(context), done = std::move(done)](bool ok, bool timedOut) {
                readSnapshot([guard, before, ok, timedOut, done](const PageSnapshot &page) {
                    if (!guard)
                        return;
                    PageLoad load{PageLoad::Read, page};
                    if (!page.valid)
                        load.outcome = PageLoad::NotResponding;
                    // A load that timed out may have stayed on the previous
                    // page: only a new document counts as loaded.
                    else if (!ok && (!timedOut || page.documentToken == before))
                        load.outcome = PageLoad::NotLoaded;
                    done(load);
                });
            },
            Qt::SingleShotConnection);
    Navigate(address);
}
