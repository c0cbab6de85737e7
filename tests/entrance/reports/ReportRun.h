#pragma once

#include "components/report/FormPrintSet.h"
#include "components/report/LRPrvSpl.h"
#include "components/report/PreviewImage.h"
#include "components/report/RepPreview.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/Form_Message.h"
#include "entrance/reports/frame/Report_Frame.h"
#include "tests/common/TempFolder.h"
#include "ui/Printer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace entrance {

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
    // The SHA-1 of each page record the preview stored, in page order.
    QStringList PageRecords;
    // The PDF's text, page by page, printed `prints` times from the one preview.
    QList<QStringList> Printed;
    // The texts the wait window showed while the pages printed, and whether the hourglass
    // was up all the while the wait window was.
    QStringList PrintWaitTexts;
    bool PrintHourglass = true;
    // The first print's PDF file, for its layout and fonts.
    QByteArray Pdf;
};

// Looks at the wait window whenever events run during a print, as an operator would.
class TPrintWaitWatch {
public:
    explicit TPrintWaitWatch(TReportRun& run) {
        FTimer.setInterval(0);
        QObject::connect(&FTimer, &QTimer::timeout, [&run] {
            if (!EntranceSession().frmMessage || !EntranceSession().frmMessage->isVisible())
                return;
            const QString text = EntranceSession().frmMessage->Ed_Message->text();
            if (!text.isEmpty() && !run.PrintWaitTexts.contains(text))
                run.PrintWaitTexts << text;
            const QCursor* cursor = QApplication::overrideCursor();
            run.PrintHourglass &= cursor && cursor->shape() == Qt::WaitCursor;
        });
        FTimer.start();
    }

private:
    QTimer FTimer;
};

inline QStringList PageRecordHashes(const TLRPreviewControl& preview) {
    QFile file(preview.FileName());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<qint64> starts = preview.PagePositions();
    starts << bytes.size();
    QStringList hashes;
    for (qsizetype i = 0; i + 1 < starts.size(); ++i)
        hashes << QCryptographicHash::hash(bytes.mid(starts[i], starts[i + 1] - starts[i]),
                                           QCryptographicHash::Sha1)
                      .toHex();
    return hashes;
}

inline QString PdfText(const QString& file) {
    QProcess process;
    process.start("pdftotext", {"-layout", file, "-"});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

inline QByteArray ReadPdf(const QString& file) {
    QFile pdf(file);
    return pdf.open(QIODevice::ReadOnly) ? pdf.readAll() : QByteArray();
}

// A word of a PDF page and its box, in points from the page's top left corner.
struct TPdfWord {
    QString Text;
    double XMin, YMin, XMax, YMax;
};

// Runs a poppler tool on the PDF and gives back what it writes.
inline QString PdfTool(const QString& tool, QStringList arguments, const QByteArray& pdf) {
    TempFolder folder;
    const QString file = folder.File("report.pdf");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size())
        return {};
    out.close();
    QProcess process;
    process.start(tool,
                  arguments << file << (tool == "pdffonts" ? QStringList() : QStringList{"-"}));
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The words of page `page` (from 1) with their boxes.
inline QList<TPdfWord> PdfWords(const QByteArray& pdf, int page = 1) {
    const QString html = PdfTool(
        "pdftotext", {"-bbox", "-f", QString::number(page), "-l", QString::number(page)}, pdf);
    static const QRegularExpression word(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
        "yMax=\"([\\d.]+)\">([^<]*)</word>");
    QList<TPdfWord> words;
    for (const QRegularExpressionMatch& m : word.globalMatch(html))
        words << TPdfWord{m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                          m.captured(3).toDouble(), m.captured(4).toDouble()};
    return words;
}

// The first word of the page that is `text`; a word with no text when there is none.
inline TPdfWord PdfWord(const QList<TPdfWord>& words, const QString& text) {
    for (const TPdfWord& w : words)
        if (w.Text == text)
            return w;
    return {};
}

// The names of the fonts the PDF uses.
inline QString PdfFonts(const QByteArray& pdf) {
    return PdfTool("pdffonts", {}, pdf);
}

// Page pixels (96 to the inch) in PDF points.
inline double PagePoints(double pixels) {
    return pixels * 72 / 96;
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
        run.PageRecords = PageRecordHashes(*rptPreview->PreviewControl());
        rptPreview->Image1->grab().save(TestOutputFolder() + "/" + name + ".png");
        for (int i = 0; i < prints; ++i) {
            const QString pdf = folder.File(QString("print%1.pdf").arg(i));
            Printer()->SetPrinterIndex(-1);
            Printer()->SetOutputFileName(pdf);
            frmPrintSet->show();
            {
                const TPrintWaitWatch watch(run);
                frmPrintSet->btnPrint->Click();
            }
            if (qEnvironmentVariableIsSet("ZZ_KEEP_PDF"))
                QFile::copy(pdf, TestOutputFolder() + "/" + name + ".pdf");
            if (i == 0)
                run.Pdf = ReadPdf(pdf);
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

} // namespace entrance
