#pragma once

#include "base/Component.h"
#include "base/DateTime.h"
#include "entrance/data/Unit_TempTables.h"
#include "entrance/reports/rules/LogReportRequest.h"

#include <QString>
#include <QStringList>

class TBatchMove;
class TDataSource;
class TQuery;
class TTable;

namespace entrance {

class TEntrance;

// The message of a log report whose period holds no record.
inline constexpr char NoRecordsMessage[] = "記録がありませんでした。";

// The query of the name of room `code`.
QStringList RoomNameText(int code);
// The first column of the first row that `sql` finds in the database file; empty for none.
QString ReadNameOf(const QStringList& sql);

// Which record report a run serves: by person (filter: a person or a department) or by unit
// (filter: a unit or a room).
enum class TLogReportKind { Person, Unit };

// The queries of a report that lists the log day by day. The days that hold records go into
// this PC's day-list table, which the master walks; the detail returns the records of the
// master's day. A period over two months starts the detail on the first month's table
// (DetailSQLText) and switches it once, for the rest of the walk, to the second month's
// (sqlSubGroup2's text); SecondTableInUse says which one it holds. A report that states its
// own queries overrides the text methods.
class TLogReportQueries : public TComponent {
public:
    TLogReportQueries(TLogReportKind kind, TComponent* AOwner = nullptr);

    // Prepares a run from the request, its month tables found among those of `units`: the day
    // list, the master on its first day, the detail on the first day that has records. Returns
    // whether the run has data. Database errors are raised.
    bool Execute(const TLogReportRequest& request, const TEntrance& units);
    // Moves the master to its next day, the detail following; false when none is left.
    bool NextDay();
    // Starts the walk again from the first day with records, as Execute left it (printing
    // walks the same days and tables as the preview).
    bool Restart();
    // The detail has a current record.
    bool HasData() const;
    // The master's current day.
    TDateTime CurrentDay() const;
    // The month table the detail reads now.
    QString TableInUse() const { return SecondTableInUse ? LogTable2 : LogTable1; }

    // Recreates KOJIN, the persons of the requested department that a department run joins.
    void MakeKojinTable();

    // The day-list query, then the master; DS1 is its data source.
    TQuery* Master;
    TDataSource* DS1;
    // The detail of DS1, and the holder of its text for the second month (never opened).
    TQuery* sqlSubGroup;
    TQuery* sqlSubGroup2;
    // The day-list table and the copying of rows into it and into KOJIN.
    TTable* tblTemp;
    TTable* tblMakeKojin;
    TBatchMove* BatchMove1;

    // Worked out by Execute.
    QString LogTable1;
    QString LogTable2;
    bool TwoMonths = false;
    qint64 Lo = 0;
    qint64 Hi = 0;
    QString FilterCondition;
    QString DayTable;
    QString DetailSQLText;
    bool SecondTableInUse = false;

protected:
    const TLogReportKind Kind;
    // A person report filtered by department: the queries join KOJIN.
    bool ByDepartment = false;

    virtual TTempTablePrefix DayTablePrefix() const;
    // The filter line of the request; fills KOJIN for a department.
    virtual QString BuildFilterCondition(const TLogReportRequest& request);
    virtual QStringList DayListText(const QString& table, bool secondTable) const;
    virtual QStringList MasterText() const;
    virtual QStringList DetailText(const QString& table) const;

    // The period's bounds on 操作日時, two lines.
    QStringList BoundLines(const QString& q = QString()) const;

private:
    // The department form names its columns with the table: "<table>."; else nothing.
    QString Qualifier(const QString& table) const;
    QString FromLine(const QString& table) const;
    // The WHERE line of the operations, without a trailing blank.
    static QString OperationLine(const QString& q);
    void FillDayList(const QString& table, bool secondTable);
    void FillKojinTable(int department);
    // Moves the master on while the detail has no record.
    void SkipEmptyDays();
    // Skips empty days; when the first month has none for the request, moves to the second.
    bool StartWalk();
    void UseSecondTable();
    static void SetText(TQuery& query, const QStringList& lines);
};

} // namespace entrance
