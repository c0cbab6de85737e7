#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The up and down arrows beside an entry field: they step Position, or the number the field
// holds when it lies between Min and Max, between Min and Max (past an end to the other end
// when Wrap is set, else not past it) and write it into the field.
// What the field takes from typed text is its screen's rule (SetPosition).
class TUpDown final : public QWidget {
    Q_OBJECT
public:
    TUpDown(QLineEdit* associate, int min, int max, bool wrap, QWidget* parent);
    Q_DISABLE_COPY(TUpDown)

    int Position() const { return FPosition; }
    // Bounded to Min..Max; the field shows it.
    void SetPosition(int position);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    QToolButton* Up;
    QToolButton* Down;

private:
    void Step(int delta);

    QLineEdit* const FAssociate;
    const int FMin;
    const int FMax;
    const bool FWrap;
    int FPosition;
};
