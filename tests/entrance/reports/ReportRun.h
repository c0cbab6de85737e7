#pragma once

#include "components/report/FormPrintSet.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/PreviewImage.h"
#include "components/report/RepPreview.h"
#include "entrance/reports/Report_Frame.h"
#include "tests/common/TempFolder.h"
#include "ui/Printer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

// Answers each message box while it lives, keeping the boxes' texts in `texts`. The default
// answer closes the box as accepted, which a question takes as no; QMessageBox::Ok agrees to
// every question, as an operator who agrees to everything.
class TMessageAnswers {
public:
    explicit TMessageAnswers(QStringList& texts, int answer = QDialog::Accepted) {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [&texts, answer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(answer);
            }
        });
        FTimer.start();
    }

private:
    QTimer FTimer;
};

// What a report showed and printed.
struct TReportRun {
    QString Caption;
    int PreviewPages = 0;
    // The PDF's text, page by page, printed `prints` times from the one preview.
    QList<QStringList> Printed;
};

inline QString PdfText(const QString& file) {
    QProcess process;
    process.start("pdftotext", {"-layout", file, "-"});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text without its blanks: PDF text spreads spaced titles with blanks of its own.
inline QString Unspaced(QString text) {
    return text.remove(QRegularExpression("\\s"));
}

// Runs `open`, which opens a report; once its preview shows, saves a picture of the first
// page named `name`, prints all pages to a PDF `prints` times through the print dialog's OK,
// and closes the preview.
template <class Open> TReportRun RunReportBy(Open&& open, const QString& name, int prints = 1) {
    TReportRun run;
    TempFolder folder;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!rptPreview || !rptPreview->isVisible())
            return;
        poll.stop();
        run.Caption = rptPreview->windowTitle();
        run.PreviewPages = rptPreview->PreviewControl()->PageCount();
        rptPreview->Image1->grab().save(TestOutputFolder() + "/" + name + ".png");
        for (int i = 0; i < prints; ++i) {
            const QString pdf = folder.File(QString("print%1.pdf").arg(i));
            Printer()->SetPrinterIndex(-1);
            Printer()->SetOutputFileName(pdf);
            frmPrintSet->show();
            frmPrintSet->btnPrint->Click();
            if (qEnvironmentVariableIsSet("ZZ_KEEP_PDF"))
                QFile::copy(pdf, TestOutputFolder() + "/" + name + ".pdf");
            QStringList pages = PdfText(pdf).split('\f');
            pages.removeLast(); // after the last page's form feed
            run.Printed << pages;
        }
        rptPreview->close();
    });
    poll.start();
    open();
    return run;
}

// Opens the report as its screen does, then as RunReportBy.
template <class T> TReportRun RunReport(QPointer<T>& global, const QString& name, int prints = 1) {
    return RunReportBy([&] { OpenReport(global); }, name, prints);
}
