#pragma once

#include "entrance/liveviews/RoomLog.h"

#include <QFrame>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class TQuery;
class TSingleDigitalNumber;

namespace entrance {

class TfrmEntranceGroupNowView;

// Six seven-segment digits, index 0 the leftmost.
using TCounterDigits = std::array<TSingleDigitalNumber*, 6>;

// One room's tile: its name, three six-digit counters (entries, exits, persons present) and
// the three buttons that open the room's detail list for a counter. A count lives in its
// panel's caption as decimal text; the digits show it.
class TframEntranceGroupNowView final : public QFrame {
    Q_OBJECT
public:
    explicit TframEntranceGroupNowView(QWidget* owner);
    ~TframEntranceGroupNowView() override;
    Q_DISABLE_COPY(TframEntranceGroupNowView)

    QLabel* lblGroupName;
    QLabel* Ed_LogINs;
    QLabel* Ed_LogOUTs;
    QLabel* Ed_NowIN;
    QPushButton* btnLogINs;
    QPushButton* btnLogOUTs;
    QPushButton* btnNowIN;
    std::unique_ptr<TQuery> sqlGroup;

    // Reads the room's units; the counters go back to 0.
    void LoadGroup(int code);
    int RoomCode() const { return FRoomCode; }
    const QList<int>& UnitIDs() const { return FUnitIDs; }
    void ResetCounters();
    // Puts the counts into the captions and the digits.
    void ShowCounts(const TRoomCounts& counts);
    // The caption's text after ":".
    QString GetGroupName() const;
    void SetGroupName(const QString& name);

    // The handler of the three buttons, the pressed one given.
    std::function<void(QPushButton* sender)> OnButtonClick;
    // Opens the detail list of the counter whose button was pressed, closing an open one.
    void btnLogINsClick(QPushButton* sender);

    const TCounterDigits& DigitsOf(QLabel* panel) const;

private:
    QWidget* CreateCounter(const QString& title, QLabel*& panel, TCounterDigits& digits,
                           QPushButton*& button, const QString& caption);
    void CreateDigits(QLabel* panel, TCounterDigits& digits);
    void ShowCounter(QLabel* panel, int count);

    int FRoomCode = 0;
    QList<int> FUnitIDs;
    TCounterDigits FLogINs{};
    TCounterDigits FLogOUTs{};
    TCounterDigits FNowIN{};
    QPointer<TfrmEntranceGroupNowView> FDetail;
};

} // namespace entrance
