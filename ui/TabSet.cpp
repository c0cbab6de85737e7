#include "ui/TabSet.h"

#include <QHBoxLayout>
#include <QToolButton>

TTabSet::TTabSet(const QStringList& captions, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (const QString& caption : captions) {
        auto* tab = new QToolButton(this);
        tab->setText(caption);
        tab->setCheckable(true);
        tab->setFocusPolicy(Qt::NoFocus);
        const int index = int(FTabs.size());
        connect(tab, &QToolButton::clicked, this, [this, index] {
            SetCurrentIndex(index);
            if (OnClick)
                OnClick(index);
        });
        FTabs << tab;
        row->addWidget(tab);
    }
    row->addStretch();
}

void TTabSet::SetCurrentIndex(int index) {
    FIndex = index >= 0 && index < Count() ? index : -1;
    for (int i = 0; i < Count(); ++i)
        FTabs[i]->setChecked(i == FIndex);
}
