#include "shell/app/chinese_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// What Qt 6 shows in its file dialog's 类型 column and nowhere translates:
// the catalogue still has these under the context they had in Qt 5.
class MissingQtTexts : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const struct
        {
            const char *source;
            const char16_t *chinese;
        } texts[] = {{"Folder", u"文件夹"}, {"Directory", u"文件夹"}, {"Drive", u"驱动器"}, {"File", u"文件"},
                     {"%1 File", u"%1 文件"}, {"Alias", u"快捷方式"}, {"Shortcut", u"快捷方式"}, {"Unknown", u"未知"}};
        for (const auto &t : texts) {
            if (qstrcmp(sourceText, t.source) == 0)
                return QString::fromUtf16(t.chinese);
        }
        return {};
    }
};

} // namespace

ChineseTexts::ChineseTexts()
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString &name : {QStringLiteral("qtbase_zh_CN"), QStringLiteral("qtwebengine_zh_CN")}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(name, folder) && QCoreApplication::installTranslator(translator.get())) {
            m_translators.push_back(std::move(translator));
            m_loaded.append(name);
        }
    }
    // Asked first, being installed last; what it does not hold, Qt's catalogues answer.
    auto missing = std::make_unique<MissingQtTexts>();
    if (QCoreApplication::installTranslator(missing.get()))
        m_translators.push_back(std::move(missing));
}

// Each translator takes itself out of the application as it goes.
ChineseTexts::~ChineseTexts()
{
    QLocale::setDefault(m_previousLocale);
}
