#pragma once

#include "base/SysUtils.h"
#include "ui/Font.h"
#include "ui/Rect.h"

#include <QList>
#include <QObject>

// A failure of the report engine.
class ELRError : public Exception {
public:
    using Exception::Exception;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// A part of a report layout: bounds in page pixels, alignment inside its parent, a font it
// may take from its parent, and its child parts in child order. The parent owns it.
class TLRControl : public QObject {
    Q_OBJECT
public:
    explicit TLRControl(int width, int height);

    // The parent as a layout part, or null (a form or nothing).
    TLRControl* ParentControl() const;
    // The child parts in child order.
    QList<TLRControl*> Controls() const;
    // Checks the parent (ELRError when this part may not be placed there) and moves to it.
    void SetParent(QObject* parent);

    int Left() const { return FBounds.Left; }
    int Top() const { return FBounds.Top; }
    int Width() const { return FBounds.Width(); }
    int Height() const { return FBounds.Height(); }
    const TRect& BoundsRect() const { return FBounds; }
    void SetBounds(int left, int top, int width, int height);
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }
    void SetHeight(int height) { SetBounds(Left(), Top(), Width(), height); }

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);
    // The part's own setting; a disabled part is left out when a page is printed.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled) { FEnabled = enabled; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);

    // The parent's font while ParentFont is set; setting a font clears ParentFont.
    TFont Font() const;
    void SetFont(const TFont& font);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool parentFont) { FParentFont = parentFont; }

    // Lays the aligned children out again.
    void Realign();

protected:
    // Raises ELRError when `parent` may not hold this part.
    virtual void CheckParent(QObject* parent) const;
    // The object that really takes a child offered to this part.
    virtual QObject* ChildParent() { return this; }
    // Places the aligned children inside `rect`, the client area less what the part keeps.
    virtual void AlignControls(TRect rect);
    // The size the part takes when asked for `width` x `height`.
    virtual void ConstrainSize(int& width, int& height) const {}
    // After the size changed.
    virtual void Resized() {}

private:
    TRect FBounds;
    TAlign FAlign = alNone;
    bool FEnabled = true;
    bool FVisible = true;
    bool FParentFont = true;
    bool FAligning = false;
    TFont FFont;
};

// Trunc(value x scale): page pixels to canvas pixels, the fraction dropped.
int LRScaleValue(int value, double scale);
TRect LRScaleRect(const TRect& rect, double scale);
