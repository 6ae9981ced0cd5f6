#include "shell/app/manual_page.h"

namespace {

using CommandLine::Option;
using CommandLine::Term;

bool isChinese(QChar c)
{
    return c.unicode() >= 0x2e80;
}

// Running text for troff: backslashes and hyphens taken literally (a command
// copied from the page must work), and a break allowed between Chinese
// characters, where groff would otherwise only break at blanks, but never
// before a punctuation mark or after an opening one.
QString text(const QString &plain, bool breaks = true)
{
    QString out;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QChar c = plain.at(i);
        if (c == u'\\')
            out += QStringLiteral("\\e");
        else if (c == u'-')
            out += QStringLiteral("\\-");
        else
            out += c;
        const QChar next = i + 1 < plain.size() ? plain.at(i + 1) : QChar();
        const bool opening = c.category() == QChar::Punctuation_Open || c.category() == QChar::Punctuation_InitialQuote;
        if (breaks && isChinese(c) && !opening && isChinese(next) && !next.isPunct())
            out += QStringLiteral("\\:");
    }
    // A line starting with a dot or a quote would be read as a request.
    if (out.startsWith(u'.') || out.startsWith(u'\''))
        out.prepend(QStringLiteral("\\&"));
    return out;
}

// The help line as a sentence of the manual's paragraph.
QString sentence(const QString &line)
{
    static const QString ends = QStringLiteral("。！？");
    return line.isEmpty() || ends.contains(line.back()) ? line : line + u'。';
}

QString optionLine(const Option &option)
{
    QStringList names;
    for (const QString &name : option.names)
        names << text((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString line = QStringLiteral("\\fB") + names.join(QStringLiteral("\\fR, \\fB")) + QStringLiteral("\\fR");
    if (!option.valueName.isEmpty())
        line += QStringLiteral(" \\fI") + text(option.valueName) + QStringLiteral("\\fR");
    return line;
}

void section(QString &page, const QString &heading)
{
    page += QStringLiteral(".SH ") + heading + u'\n';
}

void terms(QString &page, const QString &heading, const QList<Term> &list, const QString &font)
{
    if (list.isEmpty())
        return;
    section(page, heading);
    for (const Term &t : list)
        page += QStringLiteral(".TP\n\\f") + font + text(t.term) + QStringLiteral("\\fR\n") + text(t.text) + u'\n';
}

} // namespace

QString manualPage(CommandLine::Program program, const QString &version, const QString &date)
{
    const CommandLine::Manual m = CommandLine::manual(program);
    QString page;
    page += QStringLiteral(".\\\" Made by zorvane-manpage from the programs' option table; edit that, not this.\n");
    page += QStringLiteral(".TH %1 1 \"%2\" \"%3 %4\" \"%5\"\n")
                .arg(m.name.toUpper(), date, m.name, version, QStringLiteral("用户命令"));
    // Ragged right: justified Chinese lines would be spread with gaps.
    page += QStringLiteral(".ad l\n");
    section(page, QStringLiteral("名称"));
    // One line as whatis reads it: no break points in it.
    page += text(m.name) + QStringLiteral(" \\- ") + text(m.summary, false) + u'\n';
    section(page, QStringLiteral("概要"));
    page += QStringLiteral(".B ") + text(m.name) + u'\n' + text(m.synopsis) + u'\n';
    section(page, QStringLiteral("描述"));
    for (qsizetype i = 0; i < m.paragraphs.size(); ++i)
        page += (i > 0 ? QStringLiteral(".PP\n") : QString()) + text(m.paragraphs.at(i)) + u'\n';
    section(page, QStringLiteral("选项"));
    for (const Option &option : CommandLine::optionsOf(program)) {
        if (option.kind == Option::Kind::Hidden)
            continue;
        page += QStringLiteral(".TP\n") + optionLine(option) + u'\n' + text(sentence(option.help) + option.more) + u'\n';
    }
    terms(page, QStringLiteral("退出状态"), m.exitCodes, QStringLiteral("B"));
    terms(page, QStringLiteral("文件"), m.files, QStringLiteral("I"));
    terms(page, QStringLiteral("环境变量"), m.environment, QStringLiteral("B"));
    terms(page, QStringLiteral("示例"), m.examples, QStringLiteral("B"));
    section(page, QStringLiteral("参见"));
    page += QStringLiteral(".BR ") + text(m.seeAlso) + QStringLiteral(" (1)\n");
    return page;
}
