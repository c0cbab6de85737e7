#pragma once

#include "ui/Canvas.h"

// The colour of a grid's selected row while the grid does not have the focus.
constexpr TColor SelectionColorUnfocused = 0x00CDA292;

// Sets the canvas for a cell of a grid's selected row: white text on the highlight colour
// while the grid has the focus, on SelectionColorUnfocused otherwise.
void SetSelectedRowColors(TCanvas& canvas, bool gridFocused);
