#include "ProgramLook.h"

#include "ui/Japanese.h"

#include <QApplication>
#include <QPainter>

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
    return UseJapanese();
}

} // namespace entrance
