#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// The two programs' command lines in one table: what each option is called,
// what --help says of it and what the manual page adds. --help is built from
// it at run time and the manual pages at build time (zorvane-manpage), so
// an option is one entry in options() plus the code that acts on it.
namespace CommandLine {

enum class Program { Window, Runner };

// How the programs end; the manual pages list them.
namespace ExitCode {
constexpr int Done = 0;
constexpr int Usage = 1;
constexpr int StartRefused = 2;
constexpr int Paused = 3;
constexpr int ListsNotSaved = 4;
constexpr int ListsHeldElsewhere = 5;
constexpr int AtVerificationWall = 6;
constexpr int ExportFailed = 7;
constexpr int ScheduleByWindowOnly = 8; // --watch-schedule: systemctl --user is not there
constexpr int NoShopRead = 9;           // --watch: not one watched shop could be read
constexpr int NoNetwork = 10;           // the network stayed away for the batch's whole limit
constexpr int ListingIncomplete = 11;   // --listing-pictures: an item failed, or a file is over the size limit
constexpr int SignalBase = 128; // plus the signal's number
} // namespace ExitCode

// How long --watch waits for another runner that holds the lists.
constexpr int WatchLockWaitMinutes = 5;

struct Option
{
    enum class Kind {
        Plain,
        Help,    // Qt's -h/--help
        HelpAll, // Qt's --help-all, which comes with --help
        Version, // Qt's -v/--version
        Hidden,  // for the screenshot script: neither in --help nor in the manual
        Trailing // --webEngineArgs: what follows it is not ours to parse
    };
    QStringList names; // a one-letter name first where there is one
    QString valueName; // empty for a switch
    QString help;      // one line for --help, and the manual's first sentence
    QString more;      // what only the manual says
    QList<Program> programs;
    Kind kind = Kind::Plain;
};

// A line of the manual's lists: an exit code, a file, a variable, an example.
struct Term
{
    QString term;
    QString text;
};

struct Manual
{
    QString name;     // the program's file name
    QString summary;  // the manual's one-line NAME entry
    QString synopsis; // after the name
    QString description; // --help's description
    QStringList paragraphs; // the manual's description
    QList<Term> exitCodes;
    QList<Term> files;
    QList<Term> environment;
    QList<Term> examples;
    QString seeAlso;
};

const QList<Option> &options();
// The program's options in the table's order.
QList<Option> optionsOf(Program program);
Manual manual(Program program);

// --help's description and every option of the program the parser knows.
void addTo(QCommandLineParser &parser, Program program);

} // namespace CommandLine
