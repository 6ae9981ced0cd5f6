#include "platform/web/collector_page.h"

void CollectorPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    if (!m_silent)
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
}

bool CollectorPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    return !m_silent && QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool CollectorPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                                     QString *result)
{
    return !m_silent && QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

void CollectorPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &)
{
}
