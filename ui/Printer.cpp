#include "Printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>

const QString TPrinter::PdfPrinterName = QStringLiteral("PDFファイル");

namespace {

// Why `file` cannot be written, as far as the file and its folder tell.
QString UnwritableReason(const QString& file) {
    const QFileInfo info(file);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        return QString("フォルダ「%1」がありません。")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    if (info.isDir())
        return "同じ名前のフォルダがあります。";
    if (info.exists() && !info.isWritable())
        return "ファイルが書き込み禁止になっています。";
    if (!info.exists() && !folder.isWritable())
        return QString("フォルダ「%1」に書き込む権限がありません。")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    return "ディスクに空きがないか、書き込めない場所です。";
}

EPrinter UnwritablePdf(const QString& file) {
    return EPrinter(QString("PDFファイル「%1」に書き込めませんでした。\n%2")
                        .arg(QDir::toNativeSeparators(file), UnwritableReason(file)));
}

// A PDF the writer finished: its end names where its cross-reference table begins, and the
// table is there. A write that failed on the way (a full disk) leaves a file that ends short.
bool IsWholePdf(const QString& file) {
    QFile pdf(file);
    if (!QFileInfo(file).isFile() || !pdf.open(QIODevice::ReadOnly) ||
        !pdf.seek(std::max<qint64>(0, pdf.size() - 64)))
        return false;
    static const QRegularExpression end("startxref\\s+(\\d+)\\s+%%EOF\\s*$");
    const QRegularExpressionMatch found = end.match(QString::fromLatin1(pdf.readAll()));
    return found.hasMatch() && pdf.seek(found.captured(1).toLongLong()) && pdf.read(4) == "xref";
}

QString DocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

TPrinter::TPrinter() {
    SetPrinterIndex(-1);
}

QStringList TPrinter::Printers() const {
    QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        names << PdfPrinterName;
    return names;
}

void TPrinter::SetPrinterIndex(int index) {
    if (Printing())
        throw EPrinter("Printing in progress");
    const QStringList names = Printers();
    if (index < 0)
        index = std::max(0, int(names.indexOf(QPrinterInfo::defaultPrinterName())));
    if (index >= names.size())
        throw EPrinter("Printer index out of range");
    const bool changed = index != FPrinterIndex || names.at(index) != FPrinterName || !FPrinter;
    FPrinterIndex = index;
    FPrinterName = names.at(index);
    if (changed)
        CreateDevice();
}

// The chosen printer is kept by name: the list may change while the program runs.
bool TPrinter::IsPdf() const {
    return FPrinterName == PdfPrinterName;
}

QString TPrinter::SuggestedPdfFile(const QString& title) const {
    QString name = title;
    name.removeIf([](QChar c) { return c.isSpace(); });
    if (name.isEmpty())
        name = "report";
    const QString last = OutputFileName();
    const QString folder = last.isEmpty() ? DocumentsFolder() : QFileInfo(last).absolutePath();
    return folder + "/" + name + ".pdf";
}

void TPrinter::ResetSettings() {
    if (Printing())
        throw EPrinter("Printing in progress");
    CreateDevice();
}

// A new device carries the printer's defaults; a PDF sheet has no unprintable border.
void TPrinter::CreateDevice() {
    const QString fileName = FPrinter ? FPrinter->outputFileName() : QString();
    if (IsPdf()) {
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        FPrinter->setOutputFormat(QPrinter::PdfFormat);
        FPrinter->setResolution(PdfResolution);
        FPrinter->setPageMargins(QMarginsF(), QPageLayout::Point);
        FPrinter->setOutputFileName(fileName);
    } else {
        FPrinter = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(FPrinterName),
                                              QPrinter::HighResolution);
    }
}

void TPrinter::SetPaper(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation) {
    FPrinter->setPageSize(QPageSize(paper));
    FPrinter->setPageOrientation(orientation);
}

void TPrinter::SetPageMargins(const QMarginsF& points) {
    FPrinter->setPageMargins(points, QPageLayout::Point);
}

QPoint TPrinter::PhysicalOffset() const {
    const QPageLayout layout = FPrinter->pageLayout();
    const int dpi = Resolution();
    return layout.paintRectPixels(dpi).topLeft() - layout.fullRectPixels(dpi).topLeft();
}

void TPrinter::BeginDoc() {
    if (Printing())
        throw EPrinter("Printing in progress");
    const QString file = FPrinter->outputFileName();
    if (IsPdf() && file.isEmpty())
        throw EPrinter("PDFファイルの名前が指定されていません。");
    FPrinter->setDocName(Title);
    if (FPainter.begin(FPrinter.get()))
        return;
    if (IsPdf())
        throw UnwritablePdf(file);
    throw EPrinter(QString("プリンタ「%1」に印刷できませんでした。").arg(FPrinterName));
}

void TPrinter::NewPage() {
    if (!Printing())
        throw EPrinter("Printer is not currently printing");
    FPrinter->newPage();
}

void TPrinter::EndDoc() {
    if (!Printing())
        throw EPrinter("Printer is not currently printing");
    FPainter.end();
    // The painter's end reports no failed write: the file tells. What was written of it is
    // no document and goes.
    const QString file = FPrinter->outputFileName();
    if (!IsPdf() || IsWholePdf(file))
        return;
    if (QFileInfo(file).isFile())
        QFile::remove(file);
    // A writer that failed once writes nothing more: the next job gets a new one, on the same
    // page.
    const QPageLayout layout = FPrinter->pageLayout();
    CreateDevice();
    FPrinter->setPageLayout(layout);
    throw UnwritablePdf(file);
}

QPainter* TPrinter::Painter() {
    if (!Printing())
        throw EPrinter("Printer is not currently printing");
    return &FPainter;
}

// Made on first use and freed with the application, before the print system goes.
TPrinter* Printer() {
    static TPrinter* printer = nullptr;
    if (!printer) {
        printer = new TPrinter;
        qAddPostRoutine([] {
            delete printer;
            printer = nullptr;
        });
    }
    return printer;
}
