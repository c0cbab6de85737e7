#pragma once

#include <QString>

class QWidget;

namespace reruzida {

// Asks with an OK/Cancel message box under `caption`; true on OK.
bool Confirm(const QString& caption, const QString& text, QWidget* parent = nullptr);

} // namespace reruzida
