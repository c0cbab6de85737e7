#pragma once

#include "dbengine/Query.h"
#include "entrance/reports/frame/Report_Frame.h"
#include "entrance/reports/persons/PersonReportQuery.h"

#include <QHash>
#include <QList>
#include <functional>

namespace entrance {

// A person report: one row of sqlUser per person, the persons and order that the person print
// dialog chose. The page header adds the department line ItmGroup under the office name.
class TRep_UserReport : public TRep_Form {
    Q_OBJECT
public:
    // Previews the request's persons, or says that there are none; returns once the preview
    // has closed. Database errors are raised.
    void Execute(const TPersonReportRequest& request);

    TQuery sqlUser;
    TLRItem* ItmGroup;

protected:
    // `baseTitle` is followed by the order; the paper is set before the page header is built.
    TRep_UserReport(const QString& baseTitle, TPrinterOrientation orientation, QWidget* owner);

    QString PreviewCaption() const override { return Title; }
    TDataSet* MainDataSet() override { return &sqlUser; }
    bool OpenData() override;
    void CloseData() override { sqlUser.Close(); }
    QString NoDataText() const override { return "利用者は存在しませんでした。"; }
    QString WaitText() const override;

    // "部門名 : " and the current person's department.
    QString DeptLine() const;
    // The department line of the page header, from the page's first person: the department
    // when the request chose one, else none.
    virtual QString GroupLine() const;
    // The current person's column as text.
    QString Text(const QString& column) const;
    // The current person's date column; 0 for none.
    TDateTime Date(const QString& column) const;
    // Fills the grid's cells with `fillRow`, one person a cell, `rowsPerPage` cells to a page;
    // the cells after the last person stay empty.
    void FillRowsWith(int rowsPerPage, std::function<void()> fillRow);
    // The units each person may use, by person code, in 認証機ID order: every row of the
    // person's units whatever its flags, but for a removal waiting for the unit's answer.
    static QHash<QString, QList<int>> UnitsOfPersons();

    TPersonReportRequest Request;
    QString Title;

private:
    const QString FBaseTitle;
};

} // namespace entrance
