#include "UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

TUpDown::TUpDown(QLineEdit* associate, int min, int max, bool wrap, QWidget* parent)
    : QWidget(parent), Up(new QToolButton(this)), Down(new QToolButton(this)),
      FAssociate(associate), FMin(min), FMax(max), FWrap(wrap), FPosition(min) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {Up, Down}) {
        button->setArrowType(button == Up ? Qt::UpArrow : Qt::DownArrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        layout->addWidget(button);
    }
    connect(Up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(Down, &QToolButton::clicked, this, [this] { Step(-1); });
    SetPosition(min);
}

void TUpDown::SetPosition(int position) {
    FPosition = qBound(FMin, position, FMax);
    FAssociate->setText(QString::number(FPosition));
}

// A number typed into the field and not yet left is where the step starts, as a buddy
// field's text is for the arrows beside it.
void TUpDown::Step(int delta) {
    bool typed = false;
    const int text = FAssociate->text().toInt(&typed);
    if (typed && text >= FMin && text <= FMax)
        FPosition = text;
    int next = FPosition + delta;
    if (FWrap && next > FMax)
        next = FMin;
    else if (FWrap && next < FMin)
        next = FMax;
    SetPosition(next);
}
