#include "shell/app/chinese_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

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
}

// Each translator takes itself out of the application as it goes.
ChineseTexts::~ChineseTexts()
{
    QLocale::setDefault(m_previousLocale);
}
