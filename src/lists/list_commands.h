#pragma once

#include <QString>

#include <functional>

class ItemList;
class ListFile;
class ListStore;
class StatusLog;
class Prompts;

// Walks a list from the top and hands every selected entry to `act`, which
// says whether it removed the entry: then the next entry has moved into the
// same position; otherwise the walk moves on. The count is read on every step.
void walkSelection(ItemList &list, const std::function<bool(int position, const QString &line)> &act);

// Removes the selected entries, logging prefix + "<" + line + ">" for each;
// with nothing selected it logs `none` instead and returns false.
bool removeSelected(ItemList &list, StatusLog &log, const QString &none, const QString &prefix);

// Whether the line has at least `needed` fields separated by "|". A command
// that reads a field the line lacks leaves the line as it is and logs why.
bool hasFields(const QString &line, int needed);

// The commands that fill, trim and reorder the pending list.
class ListCommands
{
public:
    static QString namePrompt() { return QStringLiteral("给宝宝贝取个名字"); }
    static QString nameTitle() { return QStringLiteral("宝贝名字"); }
    static QString namePreset() { return QStringLiteral("宝贝N"); }

    ListCommands(ListStore &lists, ListFile &listFile, StatusLog &log);

    // "加入>>": every line "address|item number" of the input box becomes a
    // pending line "item number|address"; the box is emptied and the lists saved.
    void addUrlCmd_Click();
    // "添加&A": the address shown in the address bar, under a name the user
    // gives ("|" in it becomes "｜", control characters a blank); the line is
    // added when the input box has been answered.
    void AddToListCmd_Click(const QString &address, Prompts &prompts);
    // "删除X" beside the pending list.
    void DelUrlCmd_Click();
    // "置顶": the selected lines move to the top in their order.
    void InsertToTopCmd_Click();

    // The same for lines given otherwise (the runner's --add): the box is left
    // as it is; the lists are saved.
    void queueUrlLines(const QString &lines);

private:
    // Each line "address|item number" becomes the pending line "item number|address".
    void queueLines(const QString &text);

    ListStore &m_lists;
    ListFile &m_listFile;
    StatusLog &m_log;
};
