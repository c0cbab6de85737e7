#include "reruzida/ProgramIcon.h"

#include "reruzida/ALed.h"

#include <QPixmap>

QIcon ProgramIcon() {
    return QIcon(QPixmap::fromImage(LedPicture(LEDLarge, clLime)));
}
