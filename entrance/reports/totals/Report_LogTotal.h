#pragma once

#include "entrance/reports/frame/Report_Frame.h"
#include "entrance/reports/rules/LogCounts.h"
#include "entrance/reports/rules/LogReportRequest.h"

#include <array>
#include <memory>

class TQuery;

namespace entrance {

class TEntrance;
class TUsers;

// A totals report: the entries, exits and errors of one period counted per unit and column
// (the hours of a day, or the days of a month). Each unit with records gets a band of four
// rows (入, 退, エ, 計) with a total per row, in 認証機ID order; a band of grand totals follows,
// left out when the request names one unit. Nine bands fill a page.
//
// SumPrinted says whether the grand-total band has had its cell: while it has not, a page
// follows the last unit's band (HasPendingRows), so the band is never lost at a page's end.
class TRep_LogTotal : public TRep_Form {
    Q_OBJECT
public:
    ~TRep_LogTotal() override;
    // Counts the request's period over `units` and previews it, or says that it holds no
    // record. Returns once the preview has closed. Database errors are raised.
    void Execute(const TLogReportRequest& request, const TEntrance& units, TUsers& users);

protected:
    struct TLayout {
        QString Title;
        // The cells counted (TLogCounts) and the cells printed per row.
        int Columns;
        int PrintedColumns;
        // Over the column heads: "単位 （時）" or "単位 （日）".
        QString UnitHead;
        int NameWidth;
        int CellWidth;
    };
    TRep_LogTotal(const TLayout& layout, QWidget* owner);

    // The day whose end closes the period read.
    virtual TDateTime LastDayOfPeriod() const = 0;
    // The column a record's time counts in.
    virtual int ColumnOf(TDateTime time) const = 0;
    // The columns that show counts; the others stay empty.
    virtual int ShownColumns() const = 0;
    // The head of a column (0-based).
    virtual QString HeadText(int column) const = 0;
    // The period in the page header, between "【" and "】".
    virtual QString PeriodText() const = 0;

    TLogReportRequest Request;
    const TEntrance* Units = nullptr;
    TUsers* Users = nullptr;

    QString PreviewCaption() const override { return FLayout.Title; }
    TDataSet* MainDataSet() override;
    bool OpenData() override;
    void CloseData() override;
    void ResetState() override;
    bool HasPendingRows() const override;
    QString NoDataText() const override;
    QString WaitText() const override;

private:
    // The items of the four count rows of a band and of their totals.
    struct TCountItems {
        std::array<QList<TLRItem*>, 4> Cells;
        std::array<TLRItem*, 4> Sums{};
    };

    void CreateHeader();
    void CreateGroupHeader();
    void CreateBands();
    TCountItems AddCountRows(TLRControl* band);
    void ShowCounts(const TCountItems& items, const TLogCounts& counts) const;
    QString UnitCondition();
    void HeaderBeforePrint();
    void GroupHeaderBeforePrint();
    void DetailPrintPanel();
    void UnitBeforePrint();
    void SumBeforePrint(TPrintStatus& Status);

    const TLayout FLayout;
    std::unique_ptr<TQuery> sqlEntrance;
    QString RoomName;
    bool SumPrinted = false;
    TLogCounts UnitCounts;
    TLogCounts GrandCounts;

    TLRItem* FRoomName = nullptr;
    TLRItem* FPageDate = nullptr;
    QList<TLRItem*> FHeads;
    TLRSubPanel* LRSub = nullptr;
    TLRSubPanel* LRSubSUM = nullptr;
    TLRItem* FEntCode = nullptr;
    TLRItem* FEntName = nullptr;
    TCountItems FUnitItems;
    TCountItems FSumItems;
};

} // namespace entrance
