#pragma once

#include "platform/desktop/terminal.h"
#include "shell/app/command_line.h"
#include "shell/app/program_core.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class DemoMarketplace;
class QCommandLineParser;

// What the window and the headless runner share at start: the options
// --program-folder, --check-host, --demo and the Chromium flags after
// --webEngineArgs, and a terminal that shows only the program's own messages.
//
// Chromium reads its flags once, when the first profile starts, so the steps
// run in two halves: the constructor (before the application) starts the demo
// marketplace when asked and prepares the application's argv; finish() (after
// it) parses the options and makes the program folder.
class ProgramOptions
{
public:
    ProgramOptions(CommandLine::Program program, int argc, char **argv,
                   const std::vector<std::string> &chromiumFlags = {});
    ~ProgramOptions();

    // For the QApplication constructor; valid while this object lives.
    int &appArgc() { return m_appArgc; }
    char **appArgv() { return m_appArgv.data(); }

    // Adds the program's options (the table's) and its description to the parser.
    void addTo(QCommandLineParser &parser) const;
    // Our own arguments: those before "--webEngineArgs".
    QStringList arguments() const { return m_ownArguments; }
    // After the parser has parsed arguments(): fills coreOptions() and makes the
    // program folder (in demo mode its own, emptied, with a save folder in
    // it); false with a message for the terminal when it cannot.
    bool finish(const QCommandLineParser &parser, QString *error);

    bool isDemo() const { return m_demo != nullptr; }
    DemoMarketplace *demo() const { return m_demo.get(); }
    const ProgramCore::Options &coreOptions() const { return m_core; }
    // The save folder the demo stores in config.ini.
    QString demoSaveFolder() const;

private:
    QStringList m_ownArguments;
    std::unique_ptr<DemoMarketplace> m_demo;
    std::vector<std::string> m_appArgs;
    std::vector<char *> m_appArgv;
    int m_appArgc = 0;
    CommandLine::Program m_program;
    ProgramCore::Options m_core;
};

// --version or --help: the answer needs no display.
bool asksOnlyForText(int argc, char **argv);

// Qt's and Chromium's own chatter (the flag dump, graphics back-end notes)
// stays off the terminal; set ZORVANE_QT_MESSAGES=1 to see it.
void quietQtMessages();
