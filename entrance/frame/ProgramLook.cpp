#include "ProgramLook.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QTranslator>

namespace entrance {

QIcon EntranceIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 64, 192));
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        QFont font = painter.font();
        font.setPixelSize(size * 3 / 4);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, "入");
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

bool SetProgramLook() {
    QApplication::setWindowIcon(EntranceIcon());
    // Kept for the life of the application, which owns it.
    auto* qtTexts = new QTranslator(QCoreApplication::instance());
    if (!qtTexts->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qtTexts;
        return false;
    }
    return QCoreApplication::installTranslator(qtTexts);
}

} // namespace entrance
