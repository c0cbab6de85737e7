#pragma once

#include "components/report/LightRep.h"

// A report item with rounded corners and diagonal lines.
class TLRItemR : public TLRItem {
    Q_OBJECT
public:
    explicit TLRItemR(QObject* parent);

    int RoundSize() const { return FRoundSize; }
    // Raises Exception outside 0..20.
    void SetRoundSize(int value);
    bool RoundLeftTop = false;
    bool RoundLeftBottom = false;
    bool RoundRightTop = false;
    bool RoundRightBottom = false;
    // From top left to bottom right, and from bottom left to top right.
    TLineStyle DiagonalRisedLeft = lsNone;
    TLineStyle DiagonalRisedRight = lsNone;

    void Print(TCanvas* Canvas, TRect Rect, TPrintStatus Status, double Scale) override;
    virtual void PrintFrame(TCanvas* Canvas, TRect Rect, double Scale);
    virtual void PrintText(TCanvas* Canvas, TRect Rect, double Scale);

private:
    int FRoundSize = 0;
};
