#include "LRControl.h"

#include <algorithm>

TLRControl::TLRControl(int width, int height) : FBounds(Bounds(0, 0, width, height)) {}

TLRControl* TLRControl::ParentControl() const {
    return qobject_cast<TLRControl*>(parent());
}

QList<TLRControl*> TLRControl::Controls() const {
    QList<TLRControl*> controls;
    for (QObject* child : children())
        if (auto* control = qobject_cast<TLRControl*>(child))
            controls << control;
    return controls;
}

void TLRControl::CheckParent(QObject* parent) const {}

void TLRControl::SetParent(QObject* parent) {
    if (auto* control = qobject_cast<TLRControl*>(parent))
        parent = control->ChildParent();
    if (parent)
        CheckParent(parent);
    TLRControl* old = ParentControl();
    setParent(parent);
    if (old)
        old->Realign();
    if (TLRControl* now = ParentControl())
        now->Realign();
}

void TLRControl::SetBounds(int left, int top, int width, int height) {
    ConstrainSize(width, height);
    width = std::max(width, 0);
    height = std::max(height, 0);
    const TRect bounds = Bounds(left, top, width, height);
    if (bounds == FBounds)
        return;
    const bool resized = bounds.Width() != FBounds.Width() || bounds.Height() != FBounds.Height();
    FBounds = bounds;
    if (resized) {
        Resized();
        Realign();
    }
    if (FAlign != alNone)
        if (TLRControl* parent = ParentControl())
            parent->Realign();
}

void TLRControl::SetAlign(TAlign align) {
    if (align == FAlign)
        return;
    FAlign = align;
    if (TLRControl* parent = ParentControl())
        parent->Realign();
}

void TLRControl::SetVisible(bool visible) {
    if (visible == FVisible)
        return;
    FVisible = visible;
    if (TLRControl* parent = ParentControl())
        parent->Realign();
}

TFont TLRControl::Font() const {
    if (FParentFont)
        if (TLRControl* parent = ParentControl())
            return parent->Font();
    return FFont;
}

void TLRControl::SetFont(const TFont& font) {
    FFont = font;
    FParentFont = false;
}

// Children moved by the alignment do not start it again.
void TLRControl::Realign() {
    if (FAligning)
        return;
    FAligning = true;
    try {
        AlignControls(Bounds(0, 0, Width(), Height()));
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

namespace {

// The visible children of one alignment, in child order: the first stacks at the edge.
QList<TLRControl*> AlignedChildren(const QList<TLRControl*>& controls, TAlign align) {
    QList<TLRControl*> list;
    for (TLRControl* control : controls)
        if (control->Align() == align && control->Visible())
            list << control;
    return list;
}

} // namespace

// Top bands first, then bottom, left, right, and the client band takes what is left.
void TLRControl::AlignControls(TRect rect) {
    const QList<TLRControl*> controls = Controls();
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TLRControl* c : AlignedChildren(controls, align)) {
            switch (align) {
            case alTop:
                c->SetBounds(rect.Left, rect.Top, rect.Width(), c->Height());
                rect.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(rect.Left, rect.Bottom - c->Height(), rect.Width(), c->Height());
                rect.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(rect.Left, rect.Top, c->Width(), rect.Height());
                rect.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(rect.Right - c->Width(), rect.Top, c->Width(), rect.Height());
                rect.Right -= c->Width();
                break;
            default:
                c->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
                break;
            }
        }
    }
}

int LRScaleValue(int value, double scale) {
    return int(value * scale);
}

TRect LRScaleRect(const TRect& rect, double scale) {
    return {LRScaleValue(rect.Left, scale), LRScaleValue(rect.Top, scale),
            LRScaleValue(rect.Right, scale), LRScaleValue(rect.Bottom, scale)};
}
