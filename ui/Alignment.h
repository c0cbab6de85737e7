#pragma once

// Horizontal placement of text in a cell, an item or a label.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Vertical placement of text.
enum TTextLayout { tlTop, tlCenter, tlBottom };
