#pragma once

// Makes the program speak Japanese beyond its own texts, for the life of the application:
// Qt's standard buttons and dialogs ("キャンセル", "ファイル名") from Qt's Japanese
// translations, and dates, month names and numbers in the Japanese locale. Both programs call
// it at their start; a second call changes nothing. True when Qt's Japanese translations were
// found.
bool UseJapanese();
