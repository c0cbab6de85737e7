#pragma once

#include <QList>
#include <QWidget>
#include <functional>

class QToolButton;

// A row of tabs of which one or none is chosen: unlike a tab bar it can show that nothing is
// chosen, as a record whose field is empty must.
class TTabSet final : public QWidget {
    Q_OBJECT
public:
    TTabSet(const QStringList& captions, QWidget* parent);
    Q_DISABLE_COPY(TTabSet)

    // The chosen tab, -1 for none.
    int CurrentIndex() const { return FIndex; }
    // Chooses a tab; any index outside the tabs chooses none.
    void SetCurrentIndex(int index);
    int Count() const { return int(FTabs.size()); }
    QToolButton* Tab(int index) const { return FTabs.value(index); }

    // A tab was clicked; it is chosen already.
    std::function<void(int index)> OnClick;

private:
    QList<QToolButton*> FTabs;
    int FIndex = -1;
};
