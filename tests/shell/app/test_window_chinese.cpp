// Qt's and the browser engine's own texts in Chinese.
#include "fixture_pages.h"
#include "fixture_server.h"
#include "log_text.h"
#include "page_waits.h"
#include "qt_printers.h"
#include "test_app.h"

#include "platform/desktop/desktop_services.h"
#include "shell/app/chinese_texts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeView>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

QStringList buttonTexts(const QWidget &dialog)
{
    QStringList texts;
    for (const QAbstractButton *b : dialog.findChild<QDialogButtonBox *>()->buttons())
        texts << b->text();
    texts.sort();
    return texts;
}

// The page's answer to a script.
QVariant evaluate(QWebEnginePage &page, const QString &script)
{
    const std::optional<QVariant> answer = waitForAnswer<QVariant>(
        [&](auto done) { page.runJavaScript(script, [done](const QVariant &v) { done(v); }); }, 30000);
    return answer.value_or(QVariant());
}

} // namespace

TEST(ChineseTexts, QtsOwnDialogsAndTheBrowsersMenuSpeakChinese)
{
    const ChineseTexts chinese;
    EXPECT_EQ(chinese.loaded(), (QStringList{QStringLiteral("qtbase_zh_CN"), QStringLiteral("qtwebengine_zh_CN")}));
    EXPECT_EQ(QLocale().name(), QStringLiteral("zh_CN"));

    QMessageBox box(QMessageBox::NoIcon, S(u"标题"), S(u"文字"), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), S(u"确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), S(u"取消"));

    QInputDialog input;
    input.setLabelText(S(u"请输入新名称。"));
    input.show();
    EXPECT_EQ(buttonTexts(input), (QStringList{S(u"取消"), S(u"确定")}));

    QFileDialog files(nullptr, S(u"请选择保存目录"));
    files.setOption(QFileDialog::DontUseNativeDialog);
    EXPECT_EQ(files.findChild<QLabel *>(QStringLiteral("lookInLabel"))->text(), S(u"查找范围："));

    // A page made now: the actions take their texts when first asked for.
    QWebEnginePage page;
    EXPECT_EQ(page.action(QWebEnginePage::Back)->text(), S(u"后退"));
    EXPECT_EQ(page.action(QWebEnginePage::Copy)->text(), S(u"复制"));
}

// The file dialogs as the program opens them: the columns Qt fills from the
// system locale or leaves untranslated (type, size, date) read in Chinese.
TEST(ChineseTexts, TheFileDialogsColumnsSpeakChinese)
{
    const ChineseTexts chinese;
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(S(u"图片"));
    QFile file(folder.filePath(S(u"表格")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("12 bytes....");
    file.close();

    DialogFolderPicker picker;
    picker.chooseSaveFile(S(u"导出"), folder.filePath(S(u"已下载宝贝.xlsx")), S(u"Excel 表格 (*.xlsx)"),
                          [](const QString &) {});
    QFileDialog *dialog = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        dialog = dialog ? dialog : qobject_cast<QFileDialog *>(w);
    ASSERT_TRUE(dialog);
    dialog->setViewMode(QFileDialog::Detail);
    dialog->setNameFilter(QStringLiteral("*"));
    auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    ASSERT_TRUE(view);
    QAbstractItemModel *model = view->model();
    ASSERT_TRUE(waitUntil([&] { return model->rowCount(view->rootIndex()) == 2; }));
    const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    QStringList shown;
    for (int column = 0; column < model->columnCount(view->rootIndex()); ++column)
        shown << model->headerData(column, Qt::Horizontal).toString();
    for (int row = 0; row < 2; ++row) {
        for (int column = 1; column < 4; ++column)
            shown << model->index(row, column, view->rootIndex()).data().toString();
    }
    for (const QString &text : std::as_const(shown))
        EXPECT_FALSE(text.contains(latin)) << text.toStdString();
    const QString modified = QLocale().toString(QFileInfo(file).lastModified(), QLocale::ShortFormat);
    EXPECT_TRUE(shown.contains(modified)) << shown.join(u'|').toStdString();
    EXPECT_TRUE(shown.contains(S(u"文件夹"))) << shown.join(u'|').toStdString();
    dialog->reject();
}

TEST(ChineseTexts, TheBrowserEngineSpeaksChinese)
{
    const QString page = QStringLiteral("http://www.zorvane.com/chinese/page.html");
    servePage(sharedServer(), page, plainPageHtml(S(u"语言"), S(u"<p>语言</p>")));
    QWebEngineView view;
    view.resize(800, 600);
    view.show();
    QSignalSpy finished(&view, &QWebEngineView::loadFinished);
    view.load(QUrl(page));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(evaluate(*view.page(), QStringLiteral("navigator.language")).toString(), QStringLiteral("zh-CN"));

    // The engine's own error page for an address that does not answer.
    finished.clear();
    view.load(QUrl(QStringLiteral("http://127.0.0.1:1/")));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(finished.first().at(0).toBool());
    ASSERT_TRUE(waitUntil([&] {
        return evaluate(*view.page(), QStringLiteral("document.body ? document.body.innerText : ''"))
            .toString()
            .contains(S(u"无法访问此网站"));
    })) << evaluate(*view.page(), QStringLiteral("document.body.innerText")).toString().toStdString();
}
