#pragma once

#include <QString>

class Opener;
class Prompts;

// "帮助文档", "版本" and the support-contact button xqkf.
class HelpCommands
{
public:
    // Where the contact button leads.
    static QString supportLink() { return QStringLiteral("https://www.zorvane.com/support/"); }

    // The help text: three lines, each ended by CR LF; the third names the
    // home page without its scheme.
    static QString helpText(const QString &homePage);
    static QString versionText();

    HelpCommands(const QString &homePage, Prompts &prompts, Opener &opener);

    void HelpDoc_Click();
    void Ver_Click();
    // Opens the link in the user's browser; the lists are left alone.
    void xqkf_Click();

private:
    QString m_homePage;
    Prompts &m_prompts;
    Opener &m_opener;
};
