#pragma once

class QLineEdit;

// Limits what the field takes to `bytes` bytes of code page 932 (a full-width character
// counts 2), as the screens give their field lengths; 0 lifts the limit. Typing or pasting
// past the limit is refused and the text stays as it was.
void SetMaxBytes(QLineEdit* edit, int bytes);
