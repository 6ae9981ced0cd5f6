#pragma once

#include "fixture_pages.h"
#include "fixture_server.h"

#include <QString>

#include <atomic>
#include <memory>

// The marketplace's verification wall on the local server: after `after`
// item pages it moves every reader of an item page behind it to its check
// page (a redirect), until the button on that page is pressed. Requests come
// on the server's threads.
class VerificationWall
{
public:
    VerificationWall(FixtureServer &server, int after)
        : m_state(std::make_shared<State>())
    {
        m_state->after = after;
        const auto state = m_state;
        server.route(QStringLiteral("verify.zorvane.com/check.html"),
                     FixtureServer::page(plainPageHtml(
                         QStringLiteral("安全验证"),
                         QStringLiteral("<p>请完成验证</p><button id=\"pass\" onclick=\"fetch('/pass').then(function () "
                                        "{ document.title = '验证通过'; })\">我不是机器人</button>"))));
        server.route(QStringLiteral("verify.zorvane.com/pass"),
                     [state](const std::string &, const std::string &) {
                         state->passed = true;
                         return FixtureServer::page(QStringLiteral("ok"));
                     });
    }

    static QString checkAddress() { return QStringLiteral("http://verify.zorvane.com/check.html"); }

    // The item page at detailPageAddress(id), behind the wall, answering delayMs late.
    void serveItem(FixtureServer &server, int id, const QString &html, int delayMs = 0)
    {
        const auto state = m_state;
        server.route(QStringLiteral("detail.zorvane.com/offer/%1.html").arg(id),
                     [state, html, delayMs](const std::string &, const std::string &) {
                         if (!state->passed && state->served >= state->after) {
                             ++state->walled;
                             FixtureServer::Response moved = FixtureServer::status(302);
                             moved.location = checkAddress().toUtf8();
                             return moved;
                         }
                          ++state->served;
                         FixtureServer::Response page = FixtureServer::page(html);
                         page.delayMs = delayMs;
                         return page;
                     });
    }

    // As pressing the button does.
    void pass() { m_state->passed = true; }
    bool passed() const { return m_state->passed; }
    int walledReaders() const { return m_state->walled; }

private:
    struct State
    {
        int after = 0;
        std::atomic<int> served{0};
        std::atomic<int> walled{0};
        std::atomic<bool> passed{false};
    };
    std::shared_ptr<State> m_state;
};
