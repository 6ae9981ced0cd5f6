#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class StatusLog;

// The address bar's rules, without widgets: the Enter history and which
// typed text may go to a page.
class AddressBarRules
{
public:
    explicit AddressBarRules(StatusLog &log) : m_log(log) {}

    // The page to open for text typed into the address bar: http and https
    // addresses (a missing scheme reads as http, as a browser's address bar
    // does) and about:blank. Anything else (file:, javascript:, a local path)
    // gives nothing.
    static std::optional<QUrl> typedAddress(const QString &text);

    // The log line for text that may not be opened; favourites are refused with it too.
    static QString refusal(const QString &text);

    // The address bar reads about:blank in any letter case: its tab is blank
    // and a favourite may be opened in it.
    static bool isBlank(const QString &addressBarText);

    // Enter in the address bar: the page to open, and the text joins the
    // history unless an equal entry (exact, case-sensitive) is already there.
    // Text that may not be opened is logged as refused and stays out of the
    // history.
    std::optional<QUrl> urladress_KeyPress(const QString &text);

    // The drop-down list: entered addresses in order of first entry.
    const QStringList &history() const { return m_history; }

private:
    StatusLog &m_log;
    QStringList m_history;
};
