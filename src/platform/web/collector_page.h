#pragma once

#include <QWebEnginePage>

// A page whose own dialogs can be suppressed and whose console stays quiet:
// the collector loads pages nobody watches.
class CollectorPage : public QWebEnginePage
{
    Q_OBJECT
public:
    using QWebEnginePage::QWebEnginePage;

    bool isSilent() const { return m_silent; }
    void setSilent(bool silent) { m_silent = silent; }

protected:
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int lineNumber,
                                  const QString &sourceID) override;

private:
    bool m_silent = false;
};
