#include "ui/SelectionColor.h"

void SetSelectedRowColors(TCanvas& canvas, bool gridFocused) {
    canvas.Brush.Color = gridFocused ? clHighlight : SelectionColorUnfocused;
    canvas.Brush.Style = bsSolid;
    canvas.Font.Color = clWhite;
}
