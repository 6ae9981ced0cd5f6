#pragma once

#include "collection/page_document.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A page without a browser, for tests of the rules that drive pages: the test
// sets its height, scroll position, description pictures and requests, and
// changes them on chosen ticks (a tick is one answered question about the
// page's scroll state or height) or once the reader has scrolled far enough.
// Answers come later from the event loop, as the engine's do.
class ScriptedPage : public PageDocument
{
    Q_OBJECT
public:
    ScriptedPage();

    // The page as it stands.
    double height = 10000;
    double viewport = 1000;
    double y = 0;
    QStringList pictures; // description pictures that have their address
    int loading = 0;      // of those, still loading
    int unstartedInView = 0;
    bool answers = true;  // false: every question goes unanswered
    // Questions about scrolling answered after each load before the page stops answering; -1: all.
    int answersPerLoad = -1;

    // A request of the page's own starts now (or started `ageMs` ago).
    void startRequest(const QString &name, qint64 ageMs = 0);
    void finishRequest(const QString &name);

    // `change` runs just before the answer of tick `tick` (1 is the first).
    void onTick(int tick, std::function<void(ScriptedPage &)> change);
    // `change` runs once, with the first answer after the view's bottom has
    // reached `bottom` (the page's own script noticing the reader near its end).
    void whenBottomReaches(double bottom, std::function<void(ScriptedPage &)> change);
    int ticks() const { return m_ticks; }
    // The bottom of the view when the scroller last asked, and every scroll made.
    QList<double> scrolls;

    // What a navigation to an address produces: a snapshot, a failed load,
    // a page that does not answer, or an answer held back until the test
    // releases it (then what the address serves at that moment, a held
    // answer as a page).
    enum class Load { Page, Fails, Hangs, Held };
    // answers: questions about scrolling answered after this page loads
    // before it stops answering; -1: as answersPerLoad says.
    void serve(const QString &address, const PageSnapshot &page, Load load = Load::Page, int answers = -1);
    // Answers a held navigation to the address, if this page holds one;
    // later navigations to it are answered at once.
    bool release(const QString &address);
    bool holds(const QString &address) const { return m_navigating && m_held && m_heldAddress == address; }
    // Every address navigated to, in order.
    QStringList requested;
    int renewals() const { return m_renewals; }
    PagePatience patience() const { return m_patience; }

    void Navigate(const QString &address) override;
    bool isLoaded() const override { return !m_navigating; }
    QString LocationURL() const override { return m_current; }
    QString LocationName() const override { return m_page.title; }
    void setSilent(bool) override {}
    void setPatience(const PagePatience &patience) override { m_patience = patience; }
    void readScrollHeight(std::function<void(std::optional<double>)> done) override;
    void readScrollState(std::function<void(std::optional<ScrollState>)> done) override;
    void scrollBy(int x, int yBy) override;
    void renew() override;

protected:
    void querySnapshot(std::function<void(const PageSnapshot &)> done) override;

private:
    void tick();
    bool answering() const;
    template <typename Answer>
    void later(Answer answer);

    QElapsedTimer m_clock;
    int m_ticks = 0;
    int m_ticksThisLoad = 0;
    QHash<int, QList<std::function<void(ScriptedPage &)>>> m_onTick;
    QList<std::pair<double, std::function<void(ScriptedPage &)>>> m_whenBottom;
    QList<std::pair<QString, qint64>> m_requests; // name, started at
    struct Served
    {
        PageSnapshot page;
        Load load = Load::Page;
        int answers = -1;
    };
    void arrive(const QString &address, const Served &served);
    QHash<QString, Served> m_served;
    QString m_current;
    PageSnapshot m_page;
    bool m_navigating = false;
    bool m_held = false;
    QString m_heldAddress;
    int m_loadAnswers = -1;
    bool m_hangs = false;
    int m_renewals = 0;
    int m_documents = 0;
    PagePatience m_patience;
};

// A detail page's snapshot as the serialiser writes it: the gallery with the
// main pictures, the description with its pictures, the attribute table.
PageSnapshot detailSnapshot(const QString &address, const QString &title, const QStringList &mainPictures,
                            const QStringList &descPictures, const QList<QPair<QString, QString>> &attributes = {});
