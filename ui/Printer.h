#pragma once

#include "base/SysUtils.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPoint>
#include <QPrinter>
#include <QStringList>
#include <memory>

// A printer failure: no valid printer, or a call out of the job's order.
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

// The printers of this PC (CUPS) and the one that prints; a PDF file where none is installed.
class TPrinter {
public:
    // The name under which printing to a PDF file is offered when no printer is installed.
    static const QString PdfPrinterName;
    // Dots per inch of PDF output.
    static constexpr int PdfResolution = 600;

    TPrinter();
    Q_DISABLE_COPY(TPrinter)

    // The installed printers in order, or the PDF entry alone when there is none.
    QStringList Printers() const;
    // The current printer's index in Printers(); -1 selects the default printer.
    int PrinterIndex() const { return FPrinterIndex; }
    void SetPrinterIndex(int index);
    bool IsPdf() const;
    // Where PDF output goes; it must be set before a PDF job begins.
    QString OutputFileName() const { return FPrinter->outputFileName(); }
    void SetOutputFileName(const QString& fileName) { FPrinter->setOutputFileName(fileName); }
    // The PDF file offered for a document titled `title`: the title without its blanks
    // ("事　業　所　情　報" gives "事業所情報.pdf"), in the folder of the last PDF, or else in
    // the user's documents folder (the home folder when there is none).
    QString SuggestedPdfFile(const QString& title) const;

    // Takes the current printer's own defaults again (paper, margins, resolution).
    void ResetSettings();
    void SetPaper(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation);
    // The unprintable border of the sheet in points; the printer may enlarge it.
    void SetPageMargins(const QMarginsF& points);

    // Dots per inch of the printed page.
    int Resolution() const { return FPrinter->resolution(); }
    // The corner of the printable area, in dots from the corner of the sheet.
    QPoint PhysicalOffset() const;

    QString Title;
    // Raises EPrinter when the printer cannot take the job; for a PDF the message names the
    // file and says why it cannot be written.
    void BeginDoc();
    void NewPage();
    // Ends the job; raises EPrinter as BeginDoc does when the PDF could not be written whole
    // (the job is over then all the same, and the broken file removed).
    void EndDoc();
    bool Printing() const { return FPainter.isActive(); }
    // The painter of the running job, in dots from the printable area's corner.
    QPainter* Painter();

private:
    void CreateDevice();
    std::unique_ptr<QPrinter> FPrinter;
    QPainter FPainter;
    int FPrinterIndex = -1;
    QString FPrinterName;
};

// The application's printer object.
TPrinter* Printer();
