#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

bool installQtKoreanTranslations(QCoreApplication& application)
{
    auto translator = std::make_unique<QTranslator>();
    // "qt" is the catalogue of catalogues: qtbase and every other module installed.
    if (!translator->load(QStringLiteral("qt_ko"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return false;
    // The application owns it from here and keeps it for its whole life.
    translator.release()->setParent(&application);
    return true;
}
