#include "reruzida/ProgramIcon.h"

#include "reruzida/ALed.h"

#include <QPixmap>

namespace reruzida {

QIcon ProgramIcon() {
    return QIcon(QPixmap::fromImage(LedPicture(LEDLarge, clLime)));
}

} // namespace reruzida
