#include "MoGraph.h"

#include <QClipboard>
#include <QMimeData>
#include <memory>

void TMoGraphic::Assign(const QClipboard& Clipboard) {
    LoadFromClipboardFormat(Clipboard.mimeData());
}

void TMoGraphic::AssignTo(QClipboard& Clipboard) const {
    auto data = std::make_unique<QMimeData>();
    SaveToClipboardFormat(*data);
    Clipboard.setMimeData(data.release());
}

void TMoGraphic::Changed() {
    if (OnChange)
        OnChange(this);
}

void TMoGraphic::Progress(TProgressStage Stage, int PercentDone, const TRect& R,
                          const QString& Msg) {
    if (OnProgress)
        OnProgress(this, Stage, PercentDone, false, R, Msg);
}
