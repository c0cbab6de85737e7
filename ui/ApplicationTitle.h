#pragma once

#include <QString>

// The application title ("入退室管理", "認証機コミュニケーション"): the caption of the program's
// message boxes and of the windows captioned with it. It is kept apart from Qt's
// application display name, which window systems append to every window's caption, so that
// each window shows exactly its own caption.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();
