#pragma once

#include "entrance/reports/frame/Report_Frame.h"
#include "entrance/reports/rules/LogReportQueries.h"
#include "entrance/reports/rules/RecordRules.h"

namespace entrance {

class TUsers;

// A report that lists the log of a period day by day, each day a run of pages of its own:
// under the title the period, the department or room asked for and the page's day; in the
// grid a head line, lines and a sum line per group. The request, the unit list and the person
// list come with Execute; the day walk is the report's log queries.
class TRep_LogForm : public TRep_Form {
    Q_OBJECT
public:
    // Runs the request: refuses a period over two months, else previews it (or says that it
    // holds no record). Returns once the preview has closed. Database errors are raised.
    void Execute(const TLogReportRequest& request, const TEntrance& units, TUsers& users);

protected:
    // A report with the page header's `title` on a page with the left margin `marginLeft`,
    // its log queries made by the subclass.
    TRep_LogForm(const QString& title, int marginLeft, QWidget* owner);

    // The title of the run, from the request.
    virtual QString RunTitle() const { return LightRep1->Title; }
    virtual TLogReportQueries& LogQueries() = 0;
    // The current day begins: its lines are laid out from the start.
    virtual void BeginDay() = 0;
    // The kind of the cell at `row`; whether the day's lines are used up after it.
    virtual TCellKind NextCell(int row) = 0;
    virtual bool DayEnded(int row) const = 0;
    virtual void HeadBeforePrint() = 0;
    virtual void LineBeforePrint(TPrintStatus& Status) = 0;
    virtual void SumBeforePrint() = 0;

    // The heading columns and a grid of the three line panels. The head line holds the group
    // in the first two columns: returns the line panel's items from the third column on; the
    // head and sum panels get their items from the subclass.
    QList<TLRItem*> CreateCells(const QList<TRepColumn>& columns, int rowsPerPage, int rowHeight);

    QString PreviewCaption() const override { return LightRep1->Title; }
    TDataSet* MainDataSet() override;
    void CloseData() override;
    // Every rendering starts from the first day, so the print run gives the preview's pages.
    void ResetState() override;
    QString NoDataText() const override { return NoRecordsMessage; }
    QString WaitText() const override;

    TLogReportRequest Request;
    const TEntrance* Units = nullptr;
    TUsers* Users = nullptr;
    // The line under the office name: the department or room asked for, or none.
    QString GroupLine;
    TDateTime CurrentDay = 0;

    TLRSubPanel* LRSubHead = nullptr;
    TLRSubPanel* LRSub = nullptr;
    TLRSubPanel* LRSubSUM = nullptr;

private:
    void CreateHeader(const QString& title);
    void HeaderBeforePrint();
    void DetailPrintPanel(int row);
    void StartDay();

    TLRItem* FPrintDate;
    TLRItem* FGroupName;
    TLRItem* FPageDate;
};

} // namespace entrance
