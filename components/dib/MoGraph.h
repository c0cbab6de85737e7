#pragma once

#include "base/SysUtils.h"
#include "ui/Rect.h"

#include <QString>
#include <functional>

class QClipboard;
class QIODevice;
class QMimeData;
class TCanvas;

// Data that is not an image this graphic can take.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

enum TProgressStage { psStarting, psRunning, psEnding };

// A picture that draws itself, travels as a stream and through the clipboard, and tells
// its owner when it changes and how far a long operation has come.
class TMoGraphic {
public:
    using TNotifyEvent = std::function<void(TMoGraphic* Sender)>;
    using TProgressEvent =
        std::function<void(TMoGraphic* Sender, TProgressStage Stage, int PercentDone,
                           bool RedrawNow, const TRect& R, const QString& Msg)>;

    TMoGraphic() = default;
    virtual ~TMoGraphic() = default;
    TMoGraphic(const TMoGraphic&) = delete;
    TMoGraphic& operator=(const TMoGraphic&) = delete;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    virtual void Draw(TCanvas& Canvas, const TRect& Rect) = 0;
    virtual void LoadFromStream(QIODevice& Stream) = 0;
    virtual void SaveToStream(QIODevice& Stream) const = 0;
    // The clipboard format (a MIME type) this class exchanges.
    virtual QString ClipboardFormat() const = 0;
    virtual void LoadFromClipboardFormat(const QMimeData* Data) = 0;
    virtual void SaveToClipboardFormat(QMimeData& Data) const = 0;

    // Takes the picture on the clipboard.
    void Assign(const QClipboard& Clipboard);
    // Puts this picture on the clipboard.
    void AssignTo(QClipboard& Clipboard) const;

    bool PaletteModified = false;
    TNotifyEvent OnChange;
    TProgressEvent OnProgress;

protected:
    void Changed();
    void Progress(TProgressStage Stage, int PercentDone, const TRect& R, const QString& Msg);
};
