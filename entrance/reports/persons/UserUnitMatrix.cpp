#include "UserUnitMatrix.h"

namespace entrance {

QString MatrixLegendText(int unitID, const QString& name) {
    return QString("%1:").arg(unitID, 2) + name;
}

QStringList MatrixCaptions(const QList<int>& unitIDs) {
    QStringList captions;
    for (int c = 1; c <= MatrixColumns; ++c)
        captions << (unitIDs.contains(c) ? QString::number(c) : QString());
    return captions;
}

QStringList MatrixRowCells(const QStringList& captions, const QList<int>& personUnits) {
    QStringList cells;
    for (const QString& caption : captions) {
        bool isNumber = false;
        const int unit = caption.toInt(&isNumber);
        cells << (isNumber && personUnits.contains(unit) ? "◆" : "");
    }
    return cells;
}

} // namespace entrance
