#pragma once

#include "entrance/reports/records/Report_LogForm.h"

#include <array>
#include <memory>

namespace entrance {

// A record report: the entry and exit records of a period, day by day, one day per run of
// pages, grouped within a day by a key (a person or a unit). Each group is a head line, its
// record lines in time order and a sum line with its counts and rate. The two reports differ
// in their key, their texts and the name of the group the request filters by.
class TRep_RecordLog : public TRep_LogForm {
    Q_OBJECT
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

    QString RunTitle() const override;
    TLogReportQueries& LogQueries() override { return *Queries; }
    bool OpenData() override;
    void ResetState() override;
    void BeginDay() override;
    TCellKind NextCell(int row) override;
    bool DayEnded(int) const override { return Sequencer.DayEnded(); }
    void HeadBeforePrint() override;
    void LineBeforePrint(TPrintStatus& Status) override;
    void SumBeforePrint() override;

private:
    void CreateLines();
    std::optional<QString> CurrentKey();

    const TLayout FLayout;
    std::unique_ptr<TLogReportQueries> Queries;
    TRecordCellSequencer Sequencer{50};
    TRecordCounts Counts;

    TLRItem* FKey;
    TLRItem* FKeyName;
    TLRItem* FOpeTime;
    TLRItem* FOpeType;
    std::array<TLRItem*, 2> FOther;
    // Of the sum line: all, rate, errors, entries, exits.
    std::array<TLRItem*, 5> FSums;
};

} // namespace entrance
