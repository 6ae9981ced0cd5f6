#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class PageDocument;
struct PageLoad;

// Items a shop's list no longer names are 下架 only when their own page says
// so: it moves the reader elsewhere, as a page taken off sale does, and an
// item page asked for after that move still loads as one (a verification wall
// moves every page, that one too). An item whose page still loads stays
// listed: it slipped past the walk as the list shifted, or the list hides it.
// One whose page does not load, or that no item page could vouch for, is kept
// as well: nothing is reported gone on a guess.
class GoneItemsCheck : public QObject
{
    Q_OBJECT
public:
    struct Verdict
    {
        QStringList gone;
        QStringList kept; // still loading, or undecided
        bool walled = false; // the page meant to vouch moved too
    };
    // Item pages tried, one after the other, to vouch for moved ones.
    static constexpr int MaxReferences = 3;

    explicit GoneItemsCheck(PageDocument &view, QObject *parent = nullptr);

    // Pages after the first start this long after the last one was read.
    void setGapMs(int ms) { m_gapMs = ms; }
    bool isRunning() const { return m_running; }
    // `references`: item pages believed on sale, tried in order.
    void start(const QStringList &candidates, const QStringList &references);

signals:
    void finished(const GoneItemsCheck::Verdict &verdict);

private:
    void next();
    void load(const QString &address, bool reference);
    void onCandidate(const QString &address, const PageLoad &load);
    void onReference(const PageLoad &load);
    // An item page loaded: the items that moved before it was asked for are gone.
    void vouched();
    void finish();

    PageDocument &m_view;
    QTimer m_gap;
    int m_gapMs = 0;
    bool m_running = false;
    QStringList m_candidates;
    QStringList m_references;
    qsizetype m_nextCandidate = 0;
    qsizetype m_nextReference = 0;
    QStringList m_moved; // undecided, in the order asked
    Verdict m_verdict;
};
