#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

namespace entrance {

// The keys of a box that takes digits (and the characters of `extra`): those and the keys
// without a character (Backspace, Tab, Delete, the arrows, Ctrl+V) pass, other characters are
// dropped; Enter moves the focus to Next, or is left to the form when there is none. Leaving
// the box for another control runs `exit` (another window or a drop-down taking the focus
// does not).
class TDigitBox final : public QObject {
public:
    TDigitBox(QLineEdit* edit, std::function<void()> exit, const QString& extra = {});
    QWidget* Next = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> FExit;
    const QString FExtra;
};

} // namespace entrance
