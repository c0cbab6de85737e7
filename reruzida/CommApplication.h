#pragma once

namespace reruzida {

// The program-wide settings: the application title, Qt's own texts and the dates in Japanese,
// the icon, a program that runs on with no window open, and the database calls' wait cursor
// and notices on the screen.
void SetUpCommApplication();

} // namespace reruzida
