#pragma once

#include "ReportRun.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/common/Unit_CommonDates.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_TempTables.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/reports/rules/LogReportRequest.h"
#include "tests/entrance/EntranceFixture.h"

namespace entrance {

// A data folder for the log reports, with the office name "山田工業", and a way to run a log
// report on a request as the print dialogs do.
struct LogReportFixture : EntranceFixture {
    LogReportFixture() { WriteAppRegistry(LoadStr(65180), "山田工業"); }

    // A row of a log table in the column order Insert writes.
    static QString Row(const QString& code, int operation, const QString& time, int result,
                       int unit) {
        return QString("('%1',%2,'%3',%4,%5)")
            .arg(code)
            .arg(operation)
            .arg(time)
            .arg(result)
            .arg(unit);
    }
    void Insert(const QString& table, const QStringList& rows) {
        Run("INSERT INTO " + table + " (個人コード,操作種別,操作日時,エラー種別,認証機ID) VALUES " +
                rows.join(","),
            true);
    }

    struct Request {
        int mode = 0;
        QString code;
        TDateTime start = EncodeDate(2026, 3, 28);
        TDateTime end = EncodeDate(2026, 4, 2);
        bool fromNow = false;
    };
    // Runs the report on the request, printing it `prints` times; the texts of its message
    // boxes go to Messages.
    template <class T>
    TReportRun Print(QPointer<T>& global, const Request& r, const QString& name, int prints = 1) {
        const TLogReportRequest request{{r.start, r.end}, r.mode, r.code, r.fromNow};
        TEntrance units;
        TUsers users;
        users.Load(nullptr, 0);
        TMessageAnswers answers(Messages);
        return RunReportBy(
            [&] {
                OpenReport(global, nullptr,
                           [&](T& report) { report.Execute(request, units, users); });
            },
            name, prints);
    }
    QStringList Messages;
};

inline QString Day(int month, int day) {
    return DateToJpWeekStr(EncodeDate(2026, month, day));
}

// The page with blanks between its items folded into one, and the dash and wave the PDF's
// fonts give back mapped to the printed ones.
inline QString Folded(const QString& page) {
    return QString(page)
        .replace(QRegularExpression("[ \\t\\x{3000}]+"), " ")
        .replace(QChar(0x2014), QChar(0x2015))
        .replace(QChar(0x301C), QChar(0xFF5E));
}

inline bool HasLine(const QString& page, const QString& pattern) {
    return Folded(page).contains(QRegularExpression(pattern));
}

// Header texts, whose blanks the PDF's text spreads.
inline bool HasText(const QString& page, const QString& text) {
    return Unspaced(Folded(page)).contains(Unspaced(text));
}

} // namespace entrance
