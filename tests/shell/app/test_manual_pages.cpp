// The manual pages the build makes, against what the programs themselves say
// with --help: the same options, and the page's sections in place.
#include "child_process.h"
#include "qt_printers.h"
#include "test_app.h"
#include "test_files.h"

#include "shell/app/command_line.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct PageCase
{
    const char *name;
    QString program;
    QStringList exitCodes;
};
ZORVANE_PRINT_AS_NAME(PageCase)

// Every option name --help lists: the lines of its option and argument lists.
QStringList helpOptions(const QString &help)
{
    QStringList names;
    static const QRegularExpression line(QStringLiteral("^  (-[^ ].*?)(  |$)"), QRegularExpression::MultilineOption);
    static const QRegularExpression name(QStringLiteral("--?[A-Za-z][A-Za-z-]*"));
    for (const auto &m : line.globalMatch(help)) {
        for (const auto &n : name.globalMatch(m.captured(1)))
            names << n.captured();
    }
    names.sort();
    return names;
}

// The option names the page's 选项 section sets in bold as its terms.
QStringList pageOptions(const QString &page)
{
    const QString options = page.section(QStringLiteral(".SH 选项\n"), 1).section(QStringLiteral(".SH "), 0, 0);
    QStringList names;
    static const QRegularExpression term(QStringLiteral("^\\.TP\n(.*)$"), QRegularExpression::MultilineOption);
    static const QRegularExpression bold(QStringLiteral("\\\\fB((?:\\\\-)+[A-Za-z][A-Za-z\\\\-]*)\\\\fR"));
    for (const auto &t : term.globalMatch(options)) {
        for (const auto &b : bold.globalMatch(t.captured(1)))
            names << b.captured(1).replace(QStringLiteral("\\-"), QStringLiteral("-"));
    }
    names.sort();
    return names;
}

QString help(const QString &program)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    ChildProcess run(QStringLiteral(ZORVANE_PROGRAM_DIR "/") + program, {QStringLiteral("--help")}, env);
    EXPECT_TRUE(run.waitForExit());
    EXPECT_EQ(run.process.exitCode(), 0);
    return run.output;
}

QByteArray gunzip(const QString &path)
{
    ChildProcess gzip(QStringLiteral("gzip"), {QStringLiteral("-dc"), path}, QProcessEnvironment::systemEnvironment());
    EXPECT_TRUE(gzip.waitForExit());
    return gzip.output.toUtf8();
}

class ManualPage : public ::testing::TestWithParam<PageCase> {};

} // namespace

TEST_P(ManualPage, ListsTheOptionsHelpListsWithItsSections)
{
    const PageCase &c = GetParam();
    const QString path = QStringLiteral(ZORVANE_MAN_DIR "/") + c.program + QStringLiteral(".1");
    const QString page = QString::fromUtf8(readBytes(path));
    ASSERT_FALSE(page.isEmpty()) << path.toStdString();
    EXPECT_EQ(gunzip(path + QStringLiteral(".gz")), page.toUtf8()) << "the installed page is this one";

    const QStringList fromHelp = helpOptions(help(c.program));
    EXPECT_TRUE(fromHelp.contains(QStringLiteral("--program-folder"))) << fromHelp.join(u' ').toStdString();
    EXPECT_EQ(pageOptions(page), fromHelp);

    // The sections a reader looks for, in order.
    qsizetype at = 0;
    for (const char16_t *heading : {u"名称", u"概要", u"描述", u"选项", u"退出状态", u"文件", u"环境变量", u"示例", u"参见"}) {
        const qsizetype found = page.indexOf(QStringLiteral(".SH ") + QString::fromUtf16(heading) + u'\n', at);
        EXPECT_GT(found, at) << QString::fromUtf16(heading).toStdString();
        at = std::max(at, found);
    }
    EXPECT_TRUE(page.contains(QStringLiteral(".SH 名称\n") + QString(c.program).replace(u'-', QStringLiteral("\\-"))
                              + QStringLiteral(" \\- ")))
        << "whatis reads the name line";
    const QString codes = page.section(QStringLiteral(".SH 退出状态\n"), 1).section(QStringLiteral(".SH "), 0, 0);
    QStringList listed;
    static const QRegularExpression code(QStringLiteral("^\\.TP\n\\\\fB([0-9+N]+)\\\\fR$"), QRegularExpression::MultilineOption);
    for (const auto &m : code.globalMatch(codes))
        listed << m.captured(1);
    EXPECT_EQ(listed, c.exitCodes);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ManualPage,
    ::testing::Values(PageCase{"window", QStringLiteral("zorvane-picker"), {"0", "1", "4", "128+N"}},
                      PageCase{"runner", QStringLiteral("zorvane-picker-batch"),
                               {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "128+N"}}),
    [](const auto &info) { return std::string(info.param.name); });
