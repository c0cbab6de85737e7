#pragma once

#include "entrance/RecordRules.h"
#include "entrance/reports/LogReportQueries.h"
#include "entrance/reports/Report_Frame.h"

#include <array>
#include <memory>

class TUsers;

// A record report: the entry and exit records of a period, day by day, one day per run of
// pages, grouped within a day by a key (a person or a unit). Each group is a head line, its
// record lines in time order and a sum line with its counts and rate. The two reports differ
// in their key, their texts and the name of the group the request filters by.
class TRep_RecordLog : public TRep_Form {
    Q_OBJECT
public:
    // Runs the request: refuses a period over two months, else previews it (or says that it
    // holds no record). Returns once the preview has closed. Database errors are raised.
    void Execute(TEntrance& request, TUsers& users);

protected:
    struct TLayout {
        TLogReportKind Kind;
        // The title from the print dialogs, and from the live view.
        QString Title;
        QString NowTitle;
        // The detail's column that keys the groups.
        QString KeyField;
        // The six column headings: key, its name, time, operation, the other side's two.
        QStringList Headings;
        // Before the name of the department or room asked for.
        QString GroupLabel;
    };
    TRep_RecordLog(const TLayout& layout, QWidget* owner);

    // The head line's name of a group key.
    virtual QString NameOfKey(const QString& key) const = 0;
    // A record line's last two columns.
    virtual std::array<QString, 2> OtherSide(TDataSet& record) const = 0;
    // The query that names the department or room of the request's code.
    virtual QStringList GroupNameText(int code) const = 0;

    TEntrance* Params = nullptr;
    TUsers* Users = nullptr;

    QString PreviewCaption() const override { return FTitle; }
    TDataSet* MainDataSet() override;
    bool OpenData() override;
    void CloseData() override;
    void ResetState() override;
    QString NoDataText() const override { return NoRecordsMessage; }
    QString WaitText() const override;

private:
    void CreateHeader();
    void CreateLines();
    void HeaderBeforePrint();
    void DetailPrintPanel(int row);
    void HeadBeforePrint();
    void RecordBeforePrint(TPrintStatus& Status);
    void SumBeforePrint();
    void StartDay();
    std::optional<QString> CurrentKey();

    const TLayout FLayout;
    std::unique_ptr<TLogReportQueries> Queries;
    TRecordCellSequencer Sequencer{50};
    TRecordCounts Counts;
    TDateTime CurrentDay = 0;
    QString FTitle;
    QString GroupName;

    TLRItem* FPrintDate;
    TLRItem* FGroupName;
    TLRItem* FPageDate;
    TLRSubPanel* LRSubHead;
    TLRSubPanel* LRSub;
    TLRSubPanel* LRSubSUM;
    TLRItem* FKey;
    TLRItem* FKeyName;
    TLRItem* FOpeTime;
    TLRItem* FOpeType;
    std::array<TLRItem*, 2> FOther;
    // Of the sum line: all, rate, errors, entries, exits.
    std::array<TLRItem*, 5> FSums;
};
