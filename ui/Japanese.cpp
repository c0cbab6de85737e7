#include "ui/Japanese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool UseJapanese() {
    static bool translated = false;
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    if (translated)
        return true;
    // Kept for the life of the application, which owns it.
    auto* qtTexts = new QTranslator(QCoreApplication::instance());
    if (!qtTexts->load(japanese, "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qtTexts;
        return false;
    }
    translated = QCoreApplication::installTranslator(qtTexts);
    return translated;
}
