#pragma once

#include "entrance/reports/records/Report_LogForm.h"
#include "entrance/reports/rooms/RoomLogQueries.h"

#include <memory>

namespace entrance {

// The stays in one room (the request's FilterCode) over a period, day by day and person by
// person: a head line with the person, a line per stay (an entry and its exit, or a lone one;
// a side taken from the neighbouring day marked "*"), and the person's time in the room for
// the day. Every day starts a page; a person's lines that do not fit go on at the top of the
// next page without a new head line.
class TRep_RoomLogView final : public TRep_LogForm {
    Q_OBJECT
public:
    explicit TRep_RoomLogView(QWidget* owner = nullptr);

protected:
    TLogReportQueries& LogQueries() override { return *Queries; }
    bool OpenData() override;
    void BeginDay() override;
    TCellKind NextCell(int row) override;
    bool DayEnded(int row) const override;
    void HeadBeforePrint() override;
    void LineBeforePrint(TPrintStatus& Status) override;
    void SumBeforePrint() override;

private:
    // What a cell of the day's pages shows: a person's head line, one of their stay lines or
    // their total.
    struct TStayCell {
        TCellKind Kind = TCellKind::Blank;
        QString PersonCode{};
        TStayLine Line{};
        qint64 TotalSeconds = 0;
    };

    void CreateLines();
    // A unit's name; the dash when the side has no unit.
    QString UnitText(int unit, const QString& dash) const;

    std::unique_ptr<TRoomLogQueries> Queries;
    // The current day's cells in page order, the next one to show and the one being shown
    // (a copy: the next day may begin before the page's last cell is filled).
    QList<TStayCell> Cells;
    qsizetype Next = 0;
    TStayCell Cell;

    TLRItem* FUserCode;
    TLRItem* FUserName;
    TLRItem* FINEntrance;
    TLRItem* FINTime;
    TLRItem* FOUTTime;
    TLRItem* FOUTEntrance;
    TLRItem* FLivingTime;
    TLRItem* FLivingTimeSUM;
};

} // namespace entrance
