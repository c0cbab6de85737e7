#pragma once

#include "entrance/RecordRules.h"
#include "entrance/reports/Report_Frame.h"
#include "entrance/reports/RoomLogQueries.h"

#include <memory>

class TUsers;

// The stays in one room over a period, day by day and person by person: a head line with the
// person, a line per stay (an entry and its exit, or a lone one; a side taken from the
// neighbouring day marked "*"), and the person's time in the room for the day. Every day
// starts a page; a person's lines that do not fit go on at the top of the next page without
// a new head line.
class TRep_RoomLogView final : public TRep_Form {
    Q_OBJECT
public:
    explicit TRep_RoomLogView(QWidget* owner = nullptr);

    // Runs the request for the room FilterCode: refuses a period over two months, else
    // previews it (or says that it holds no record). Returns once the preview has closed.
    // Database errors are raised.
    void Execute(TEntrance& request, TUsers& users);

protected:
    QString PreviewCaption() const override { return Title; }
    TDataSet* MainDataSet() override;
    bool OpenData() override;
    void CloseData() override;
    void ResetState() override;
    QString NoDataText() const override { return NoRecordsMessage; }
    QString WaitText() const override;

private:
    // What a cell of the day's pages shows: a person's head line, one of their stay lines or
    // their total.
    struct TStayCell {
        TCellKind Kind = TCellKind::Blank;
        QString PersonCode;
        TStayLine Line;
        qint64 TotalSeconds = 0;
    };

    void CreateHeader();
    void CreateLines();
    void HeaderBeforePrint();
    void DetailPrintPanel(int row);
    void LRSubHeadBeforePrint();
    void LRSubBeforePrint();
    void LRSubSUMBeforePrint();
    void StartDay();
    QString ReadRoomName();
    // A unit's name; the mark's dash when the side has no unit.
    QString UnitText(int unit, const QString& dash) const;

    TEntrance* Params = nullptr;
    TUsers* Users = nullptr;
    const QString Title = "部屋別 入退室記録";
    QString RoomName;
    std::unique_ptr<TRoomLogQueries> Queries;
    TDateTime CurrentDay = 0;
    // The current day's cells in page order, the next one to show and the one being shown
    // (a copy: the next day may begin before the page's last cell is filled).
    QList<TStayCell> Cells;
    qsizetype NextCell = 0;
    TStayCell Cell;

    TLRItem* FPrintDate;
    TLRItem* FRoomName;
    TLRItem* FPageDate;
    TLRSubPanel* LRSubHead;
    TLRSubPanel* LRSub;
    TLRSubPanel* LRSubSUM;
    TLRItem* FUserCode;
    TLRItem* FUserName;
    TLRItem* FINEntrance;
    TLRItem* FINTime;
    TLRItem* FOUTTime;
    TLRItem* FOUTEntrance;
    TLRItem* FLivingTime;
    TLRItem* FLivingTimeSUM;
};

extern QPointer<TRep_RoomLogView> Rep_RoomLogView;
