#pragma once

#include <QObject>
#include <functional>

class QLineEdit;
class QWidget;

// The keys of a box that takes digits: digits and Backspace pass, Enter moves the focus to
// Next, other characters are dropped. Leaving the box runs `exit`.
class TDigitBox final : public QObject {
    Q_OBJECT
public:
    TDigitBox(QLineEdit* edit, std::function<void()> exit);
    QWidget* Next = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> FExit;
};
