// Several collectors at once: the same folders, files and lists as one.
#include "batch_fixture.h"
#include "test_files.h"
#include "verification_wall.h"

#include "download/info_file.h"
#include "lists/item_lines.h"

#include <QDirIterator>
#include <QMap>
#include <QStringDecoder>

namespace {

struct Outcome
{
    QMap<QString, QByteArray> files; // under the output folder; the info file without its date
    QStringList downloaded;          // sorted: entries arrive as items finish
    QStringList pending;
    QStringList box;                 // sorted
    int walls = 0;
};

bool operator==(const Outcome &a, const Outcome &b)
{
    return a.files == b.files && a.downloaded == b.downloaded && a.pending == b.pending && a.box == b.box
        && a.walls == b.walls;
}

void PrintTo(const Outcome &o, std::ostream *os)
{
    *os << o.files.keys().join(QLatin1Char(' ')).toStdString() << " | " << o.downloaded.join(QLatin1Char(' ')).toStdString()
        << " | " << o.pending.join(QLatin1Char(' ')).toStdString() << " | " << o.box.join(QLatin1Char(' ')).toStdString() << " | " << o.walls << " walls";
}

} // namespace

TEST_F(BatchTest, ThreeCollectorsSaveWhatOneSavesAndStopAtTheSameWall)
{
    const auto run = [&](int collectors) {
        build([](ProgramCore::Options &options) {
            options.intervals.pages.fastFirstAnswerMs = 3000;
            options.intervals.pages.fastQueryMs = 1500;
        });
        core->setPace(BatchCycle::Pace::Fast, false);
        core->batch().setCollectors(collectors);
        // Two items of one title, the first slow to load; a hung page and a
        // dead one between; behind the last good item, the marketplace's wall.
        // A wall moves every item page, those downloaded earlier in the run too.
        VerificationWall wall(sharedServer(), 3);
        for (const int id : {801, 803, 805, 806, 807})
            wall.serveItem(sharedServer(), id, detailPageHtml(servedItem(id, id == 805 ? S(u"另一件") : S(u"同名宝贝"), {})),
                           id == 801 ? 1500 : 0);
        servedScriptedItem(802, S(u"卡死"), S(u"<script>while (true) {}</script>"));
        FixtureServer::Response dead = FixtureServer::page(S(u"<html></html>"));
        dead.stall = true;
        sharedServer().route(S(u"detail.zorvane.com/offer/804.html"), dead);
        for (int id = 801; id <= 807; ++id)
            pending().append(QStringLiteral("K-%1|").arg(id) + detailPageAddress(id));
        QSignalSpy walls(&core->batch(), &BatchCycle::verificationWall);
        QSignalSpy stopped(&core->batch(), &BatchCycle::stopped);
        core->batch().StartPickCmd_Click();
        EXPECT_TRUE(stopped.wait(120000));
        sharedServer().releaseStalls();

        Outcome o;
        QDirIterator it(output, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QByteArray bytes = readBytes(path);
            if (it.fileName() == InfoFileName) {
                QString text = QStringDecoder("GB18030").decode(bytes);
                text.remove(QRegularExpression(QStringLiteral("采集日期：[^\\r]*\\r\\n")));
                bytes = text.toUtf8();
            }
            o.files.insert(QDir(output).relativeFilePath(path), bytes);
        }
        for (const QString &line : downloaded().entries())
            o.downloaded << QString(line).replace(output, S(u"OUT"));
        o.downloaded.sort();
        o.pending = pending().entries();
        o.box = core->lists().AddUrlText().split(S(u"\r\n"), Qt::SkipEmptyParts);
        o.box.sort();
        o.walls = int(walls.size());
        QDir(output).removeRecursively();
        return o;
    };
    const Outcome one = run(1);
    EXPECT_EQ(one.downloaded.size(), 3);
    EXPECT_EQ(one.pending.size(), 2) << "the two behind the wall";
    EXPECT_EQ(one.box.size(), 2) << "the hung page and the dead one";
    EXPECT_TRUE(one.files.contains(S(u"同名宝贝1/宝贝基本信息.txt")));
    EXPECT_EQ(run(3), one);
}
