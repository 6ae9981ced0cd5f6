#include "log_text.h"
#include "qt_printers.h"
#include "recording_desktop.h"
#include "shell/browser/favourites.h"
#include "test_files.h"

#include "platform/files/text_file.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct FavouritesTest : ::testing::Test
{
    QTemporaryDir program;
    Favourites favourites{program.path()};
    RecordingPrompts prompts;
    StatusLog log;

    QString inFolder(const QString &name) const { return QDir(favourites.folder()).filePath(name); }
    void put(const QString &name, const QByteArray &bytes)
    {
        ASSERT_TRUE(favourites.ensureFolder());
        writeBytes(inFolder(name), bytes);
    }
    bool insideFolder(const QString &path) const
    {
        return QFileInfo(path).absoluteDir() == QDir(favourites.folder()) && QFileInfo(path).isFile();
    }
};

const QString Address = QStringLiteral("http://detail.zorvane.com/offer/1.html");

} // namespace

// A page stored again stays one favourite, and the answer says which; other
// pages of the same title get "#" in front.
TEST_F(FavouritesTest, StoringOnePageAgainSaysWhereItIsAndOtherPagesOfItsTitleGetHashes)
{
    ASSERT_FALSE(QFileInfo::exists(favourites.folder())) << "storing makes the folder";
    const QString title = QStringLiteral("女装 - 连衣裙/红色"), first = inFolder(QStringLiteral("女装连衣裙红色.link"));
    for (const QString &address : QStringList{Address, Address, QStringLiteral(" ") + Address + QStringLiteral(" ")})
        EXPECT_EQ(favourites.store(title, address, prompts), first);
    EXPECT_EQ(prompts.texts(), QStringList{QStringLiteral("已经收藏！")} + QStringList(2, S(u"该网页已在收藏夹中:女装连衣裙红色")));
    for (int page = 2; page <= 3; ++page)
        ASSERT_TRUE(favourites.store(title, QStringLiteral("http://detail.zorvane.com/offer/%1.html").arg(page), prompts));
    EXPECT_EQ(favourites.entries(), (QStringList{QStringLiteral("##女装连衣裙红色.link"),
                                                 QStringLiteral("#女装连衣裙红色.link"),
                                                 QStringLiteral("女装连衣裙红色.link")}));
    EXPECT_EQ(readBytes(first), encodeLocalText(QStringLiteral("[Fai.link]\r\n") + Address + QStringLiteral("\r\n")));
    // Renamed, the favourite is still the page's.
    const std::optional<QString> renamed = favourites.rename(first, QStringLiteral("红裙"));
    EXPECT_EQ(favourites.store(title, Address, prompts), renamed);
    EXPECT_EQ(prompts.texts().last(), S(u"该网页已在收藏夹中:红裙"));
}

TEST_F(FavouritesTest, StoredNamesStayInTheFolder)
{
    const QString cases[] = {
        QStringLiteral("/:*?\"<>|-"),              // all removed: ".link"
        QStringLiteral(".."),                      // would name the parent folder
        QStringLiteral("../../../etc/passwd"),
        QStringLiteral("..\\..\\windows"),
        QStringLiteral("."),
        QString(300, QChar(0x56FE)),               // longer than a file name may be
    };
    int page = 0;
    for (const QString &caption : cases) {
        // Each another page: one page is stored once.
        const std::optional<QString> stored =
            favourites.store(caption, Address + QStringLiteral("?page=%1").arg(++page), prompts);
        ASSERT_TRUE(stored) << caption.toStdString();
        EXPECT_TRUE(insideFolder(*stored)) << stored->toStdString();
    }
    EXPECT_TRUE(favourites.entries().contains(QStringLiteral(".link")));
    EXPECT_EQ(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("likepage")});
}

TEST_F(FavouritesTest, AStoreThatFailsIsNotReportedAsStored)
{
    // A program folder under a regular file: nothing can be made below it.
    writeBytes(program.filePath(QStringLiteral("file")), "x");
    Favourites blocked(program.filePath(QStringLiteral("file")));
    EXPECT_FALSE(blocked.store(QStringLiteral("页面"), Address, prompts));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages.first().text.startsWith(QStringLiteral("收藏失败,原因:")));
}

TEST_F(FavouritesTest, OpenfileTargets)
{
    struct Case
    {
        const char *name;
        QString file;
        QByteArray bytes; // nothing: the file is not made
        QString opened;   // empty: nothing opened
        bool formatError;
    };
    const QByteArray good = Favourites::fileBytes(Address);
    const Case cases[] = {
        {"favourite", QStringLiteral("a.link"), good, Address, false},
        {"upper_case_extension", QStringLiteral("b.LINK"), good, Address, false},
        {"lf_line_ends", QStringLiteral("c.link"), "[Fai.link]\nhttps://www.zorvane.com/\n",
         QStringLiteral("https://www.zorvane.com/"), false},
        {"no_final_line_end", QStringLiteral("d.link"), "[Fai.link]\r\nhttps://www.zorvane.com/",
         QStringLiteral("https://www.zorvane.com/"), false},
        {"marker_in_lower_case", QStringLiteral("e.link"), "[fai.link]\r\nhttps://www.zorvane.com/\r\n", {}, true},
        {"marker_with_blank", QStringLiteral("f.link"), " [Fai.link]\r\nhttps://www.zorvane.com/\r\n", {}, true},
        {"marker_only", QStringLiteral("g.link"), "[Fai.link]\r\n", {}, true},
        {"marker_and_empty_address", QStringLiteral("h.link"), "[Fai.link]\r\n\r\n", {}, true},
        {"empty_file", QStringLiteral("i.link"), "", {}, true},
        {"missing_file", QStringLiteral("gone.link"), {}, {}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        prompts.messages.clear();
        if (!c.bytes.isNull())
            put(c.file, c.bytes);
        const auto request =
            favourites.openfile(inFolder(c.file), QStringLiteral("about:blank"), false, prompts, log);
        EXPECT_EQ(request ? request->url.toString() : QString(), c.opened);
        EXPECT_EQ(prompts.texts(), c.formatError ? QStringList{QStringLiteral("文件格式错误。")} : QStringList{});
    }
}

TEST_F(FavouritesTest, AFavouriteOpensOnlyWhatTheAddressBarWould)
{
    const struct
    {
        const char *name;
        QString address;
        QString opened; // empty: refused as the address bar refuses it
    } cases[] = {
        {"http", QStringLiteral("http://detail.zorvane.com/offer/1.html"),
         QStringLiteral("http://detail.zorvane.com/offer/1.html")},
        {"https", QStringLiteral("https://www.zorvane.com/"), QStringLiteral("https://www.zorvane.com/")},
        {"no_scheme_reads_as_http", QStringLiteral("www.zorvane.com"), QStringLiteral("http://www.zorvane.com")},
        {"blank", QStringLiteral("about:blank"), QStringLiteral("about:blank")},
        {"file_address", QStringLiteral("file:///etc/passwd"), QString()},
        {"bare_local_path", QStringLiteral("/etc/passwd"), QString()},
        {"script", QStringLiteral("javascript:alert(document.cookie)"), QString()},
        {"data", QStringLiteral("data:text/html,<script>alert(1)</script>"), QString()},
        {"http_without_host", QStringLiteral("http://"), QString()},
        {"https_without_host", QStringLiteral("https:///etc/passwd"), QString()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StatusLog caseLog;
        put(QStringLiteral("a.link"), Favourites::fileBytes(c.address));
        const auto request =
            favourites.openfile(inFolder(QStringLiteral("a.link")), QString(), false, prompts, caseLog);
        EXPECT_EQ(request ? request->url.toString() : QString(), c.opened);
        EXPECT_EQ(logMessages(caseLog), c.opened.isEmpty()
                                        ? QStringList{S(u"地址栏只能打开http或https网址,未打开:") + c.address}
                                        : QStringList{});
    }
    EXPECT_TRUE(prompts.messages.isEmpty());

    // Any other file would be shown as a file address: refused the same way.
    put(QStringLiteral("page.html"), "<p>x</p>");
    EXPECT_FALSE(favourites.openfile(inFolder(QStringLiteral("page.html")), QString(), false, prompts, log));
    EXPECT_EQ(logMessages(log),
              QStringList{S(u"地址栏只能打开http或https网址,未打开:") + inFolder(QStringLiteral("page.html"))});
}

TEST_F(FavouritesTest, OnlyAnAddressTheAddressBarWouldOpenIsStored)
{
    const struct
    {
        const char *name;
        QString address;
        bool stored;
    } cases[] = {
        {"http", Address, true},
        {"blank", QStringLiteral("about:blank"), true},
        {"file_address", QStringLiteral("file:///etc/passwd"), false},
        {"bare_local_path", QStringLiteral("/etc/passwd"), false},
        {"script", QStringLiteral("javascript:alert(1)"), false},
        {"data", QStringLiteral("data:text/html,x"), false},
        {"http_without_host", QStringLiteral("http://"), false},
        {"empty", QString(), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir other;
        Favourites list(other.path());
        prompts.messages.clear();
        const std::optional<QString> stored = list.store(QStringLiteral("页面"), c.address, prompts);
        EXPECT_EQ(stored.has_value(), c.stored);
        EXPECT_EQ(list.entries(), c.stored ? QStringList{QStringLiteral("页面.link")} : QStringList{});
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_EQ(prompts.messages.first().text,
                  c.stored ? S(u"已经收藏！") : S(u"收藏失败,原因:只能收藏http或https网址:") + c.address);
    }
}

TEST_F(FavouritesTest, ABlankTabIsReused)
{
    put(QStringLiteral("a.link"), Favourites::fileBytes(Address));
    const struct
    {
        QString addressBar;
        bool stayInTab;
        bool newTab;
    } cases[] = {
        {QStringLiteral("about:blank"), false, false},
        {QStringLiteral("ABOUT:BLANK"), false, false},
        {QStringLiteral("About:Blank"), false, false},
        {QStringLiteral("https://www.zorvane.com/"), false, true},
        {QString(), false, true},
        {QStringLiteral("https://www.zorvane.com/"), true, false},
    };
    for (const auto &c : cases) {
        const auto request =
            favourites.openfile(inFolder(QStringLiteral("a.link")), c.addressBar, c.stayInTab, prompts, log);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->newTabFirst, c.newTab) << c.addressBar.toStdString() << c.stayInTab;
    }
}

TEST_F(FavouritesTest, TheHomePageOpensFromTheToolbarAndTheList)
{
    EXPECT_FALSE(favourites.openfile(favourites.homePath(), QString(), false, prompts, log)) << "no home page yet";

    put(QStringLiteral("店铺.link"), Favourites::fileBytes(Address));
    ASSERT_TRUE(favourites.setHome(inFolder(QStringLiteral("店铺.link"))));
    EXPECT_TRUE(favourites.entries().contains(QStringLiteral("主页.LINK")));

    // The toolbar asks for "主页.link"; the list names the file "主页.LINK".
    for (const QString &path : {favourites.homePath(), inFolder(QStringLiteral("主页.LINK"))}) {
        const auto request = favourites.openfile(path, QString(), false, prompts, log);
        ASSERT_TRUE(request) << path.toStdString();
        EXPECT_EQ(request->url.toString(), Address);
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(FavouritesTest, SettingTheHomePageReplacesEverySpellingOfIt)
{
    put(QStringLiteral("主页.link"), Favourites::fileBytes(QStringLiteral("http://old.zorvane.com/")));
    put(QStringLiteral("新.link"), Favourites::fileBytes(Address));
    ASSERT_TRUE(favourites.setHome(inFolder(QStringLiteral("新.link"))));
    EXPECT_EQ(favourites.entries(), (QStringList{QStringLiteral("主页.LINK"), QStringLiteral("新.link")}));
    EXPECT_EQ(favourites.openfile(favourites.homePath(), QString(), false, prompts, log)->url.toString(), Address);

    // The home page chosen as the home page stays as it is.
    ASSERT_TRUE(favourites.setHome(inFolder(QStringLiteral("主页.LINK"))));
    EXPECT_EQ(readBytes(inFolder(QStringLiteral("主页.LINK"))), Favourites::fileBytes(Address));
}

TEST_F(FavouritesTest, NothingIsWrittenThroughALinkOutOfTheFolder)
{
    const struct
    {
        const char *name;
        QString link;     // a symbolic link in likepage/
        bool targetExists; // false: the link dangles
        bool viaStore;     // true: "收藏" under the link's name; false: "设为主页"
    } cases[] = {
        {"home_link", QStringLiteral("主页.link"), true, false},
        {"home_upper_case_link", QStringLiteral("主页.LINK"), true, false},
        {"dangling_home_link", QStringLiteral("主页.LINK"), false, false},
        {"dangling_favourite_link", QStringLiteral("页面.link"), false, true},
        {"favourite_link_other_case", QStringLiteral("页面.LINK"), false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir programFolder, outside;
        Favourites list(programFolder.path());
        ASSERT_TRUE(list.ensureFolder());
        const QString target = QDir(outside.path()).filePath(QStringLiteral("bashrc"));
        if (c.targetExists)
            writeBytes(target, "outside");
        ASSERT_TRUE(QFile::link(target, QDir(list.folder()).filePath(c.link)));
        const QString chosen = QDir(list.folder()).filePath(QStringLiteral("店铺.link"));
        writeBytes(chosen, Favourites::fileBytes(Address));

        if (c.viaStore) {
            ASSERT_TRUE(list.store(QStringLiteral("页面"), Address, prompts));
        } else {
            ASSERT_TRUE(list.setHome(chosen));
            const QFileInfo home(QDir(list.folder()).filePath(Favourites::homeFileName()));
            EXPECT_FALSE(home.isSymLink()) << "the link itself is replaced";
            EXPECT_EQ(readBytes(home.filePath()), Favourites::fileBytes(Address));
            EXPECT_EQ(list.openfile(list.homePath(), QString(), false, prompts, log)->url.toString(), Address);
        }
        EXPECT_EQ(QFileInfo::exists(target), c.targetExists);
        if (c.targetExists) {
            EXPECT_EQ(readBytes(target), QByteArray("outside"));
        }
        EXPECT_EQ(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  c.targetExists ? QStringList{QStringLiteral("bashrc")} : QStringList{});
    }
}

TEST_F(FavouritesTest, Renaming)
{
    struct Case
    {
        const char *name;
        QString answer;
        QString result; // the list afterwards, besides the other entries
    };
    const Case cases[] = {
        {"new_name_without_extension", QStringLiteral("新名字"), QStringLiteral("新名字.link")},
        {"with_extension", QStringLiteral("新名字.link"), QStringLiteral("新名字.link")},
        {"taken_without_extension", QStringLiteral("其他"), QStringLiteral("#其他.link")},
        {"taken_name_gets_hash", QStringLiteral("其他.link"), QStringLiteral("#其他.link")},
        {"taken_in_other_case", QStringLiteral("其他.LINK"), QStringLiteral("#其他.LINK")},
        {"own_name_is_taken_too", QStringLiteral("旧.link"), QStringLiteral("#旧.link")},
        {"cleaned", QStringLiteral("a/b:c d"), QStringLiteral("abcd.link")},
        {"parent_folder", QStringLiteral(".."), QStringLiteral("...link")},
        {"path_out", QStringLiteral("../../x"), QStringLiteral(".x.link")},
        {"empty_answer_unchanged", QString(), QStringLiteral("旧.link")},
        {"answer_cleaned_to_nothing_unchanged", QStringLiteral(" / "), QStringLiteral("旧.link")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        Favourites list(folder.path());
        ASSERT_TRUE(list.ensureFolder());
        const QString old = QDir(list.folder()).filePath(QStringLiteral("旧.link"));
        writeBytes(old, Favourites::fileBytes(Address));
        writeBytes(QDir(list.folder()).filePath(QStringLiteral("其他.link")), Favourites::fileBytes(Address));

        const std::optional<QString> renamed = list.rename(old, c.answer);

        QStringList expected = {QStringLiteral("其他.link"), c.result};
        expected.sort();
        QStringList entries = list.entries();
        entries.sort();
        EXPECT_EQ(entries, expected);
        EXPECT_EQ(renamed.has_value(), c.result != u"旧.link");
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("likepage")});
    }
}
