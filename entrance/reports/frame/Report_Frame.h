#pragma once

#include "base/DateTime.h"
#include "components/report/LightRep.h"
#include "ui/Alignment.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

class TDataSet;
class TLRPreviewControl;

namespace entrance {

// The left margin of the reports that leave room for binding, in page pixels; the others keep
// the engine's 36 on every side.
inline constexpr int WideMarginLeft = 54;

// One column of a list report: its heading, its width in page pixels and how its rows align.
struct TRepColumn {
    QString Caption;
    int Width;
    TAlignment Alignment = taLeftJustify;
};

// The report form every printed list shares. It is never shown: it owns the page LightRep1
// with its bands, the queries of the report and the preview store. RunPreview renders every
// page into the shared preview window and shows it modally; the print button of the shared
// print dialog runs PrintClick, which rewinds the data and prints from page 1 again; closing
// the preview frees the form.
//
// Pages are rendered while MoreToPrint holds: the main dataset has rows left, or the report
// still holds a row of its own to print after the last data row (HasPendingRows), so such a
// trailing row gets one more page instead of being lost.
class TRep_Form : public QWidget {
    Q_OBJECT
public:
    explicit TRep_Form(QWidget* owner = nullptr);
    ~TRep_Form() override;
    Q_DISABLE_COPY(TRep_Form)

    TLightRep* LightRep1;
    // Page header: title, office name, print date, page number.
    TLRLayoutPanel* LRLayoutPanel1 = nullptr;
    TLRItem* ItmTitle = nullptr;
    TLRItem* ItmJigyosyo = nullptr;
    TLRItem* ItmDate = nullptr;
    TLRItem* ItmPage = nullptr;
    // Column headings, the rows, the page footer.
    TLRLayoutPanel* LRLayoutPanel2 = nullptr;
    TLRGridPanel* LRGridPanel1 = nullptr;
    TLRLayoutPanel* LRLayoutPanel3 = nullptr;
    TLRItem* ItmFooter = nullptr;
    TLRPreviewControl* LRPreviewControl1;

    // The page being rendered or printed, from 1.
    int PageNo = 1;

    // Opens the data and shows the preview modally; returns once the preview has closed.
    // False when the report had nothing to show (its no-data message was given) and closed.
    bool RunPreview();
    // Bound to the preview window's close button.
    void PreviewCloseClick();
    // Bound to the print dialog's OK button.
    void PrintClick();
    // Whether another page is to be rendered.
    bool MoreToPrint();

protected:
    // The caption of the preview window.
    virtual QString PreviewCaption() const = 0;
    // The dataset whose rows drive the pages.
    virtual TDataSet* MainDataSet() = 0;
    // Opens the report's queries. False when there is nothing to print.
    virtual bool OpenData() = 0;
    // Closes the report's queries.
    virtual void CloseData() = 0;
    // Back to the report's own state before its first page.
    virtual void ResetState() {}
    // A row the report still prints after the main dataset's last row.
    virtual bool HasPendingRows() const { return false; }
    // Shown, with nothing previewed, when OpenData finds nothing; none: no message.
    virtual QString NoDataText() const { return {}; }
    // Shown in the wait window while the pages are rendered; none: the hourglass cursor.
    virtual QString WaitText() const { return {}; }
    // The wait window as an ordinary window instead of one kept in front of all others.
    virtual bool WaitInNormalStyle() const { return false; }
    // The office name of the page header.
    virtual QString OfficeName();
    // The print date of the page header: today as "2026/03/05".
    virtual QString PrintDateText() const;

    // The page's width inside its left and right margins, in page pixels.
    int PageInnerWidth() const;
    // Builds the page header with the title; set the paper first.
    void CreatePageBands(const QString& title);
    // Builds the empty page footer.
    void CreateFooter();
    // Builds the column headings, a grid of `rowsPerPage` rows of `rowHeight` pixels, and the
    // footer. Each column gets a framed row item on `rowPanel` (none: the grid's own cell
    // panel); returns the row items in column order.
    QList<TLRItem*> CreateColumns(const QList<TRepColumn>& columns, int rowsPerPage, int rowHeight,
                                  TLRControl* rowPanel = nullptr);
    // A framed text item on `parent`, its text vertically centred.
    static TLRItem* AddItem(TLRControl* parent, int left, int top, int width, int height,
                            TAlignment alignment, const QString& text = {});
    // The report's title, centred on the page and underlined twice, as ItmTitle.
    void AddTitle(TLRControl* parent, int top, const QString& title);
    // A row layout of the grid, owned by the form, in the page's text font (it lies outside
    // the page, so it would not take the page's font by itself).
    TLRSubPanel* NewSubPanel();

    void closeEvent(QCloseEvent* event) override;

private:
    void HeaderBeforePrint();
    void Restart();
    void RenderPages();
    bool FClosing = false;
};

// Holds back the deferred deletion of a widget and its parents while a report runs under them:
// a screen closed under the modal preview would otherwise be freed inside the preview's loop,
// and the report it owns with it. A deletion held back is carried out once the report has ended.
class TDeletionHold final : public QObject {
public:
    explicit TDeletionHold(QWidget* widget);
    ~TDeletionHold() override;
    TDeletionHold(const TDeletionHold&) = delete;
    TDeletionHold& operator=(const TDeletionHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPointer<QObject>> FHeld; // watched objects whose deletion was asked for meanwhile
    QList<QPointer<QObject>> FWatched;
};

// Opens the report that `slot` holds when there is none: creates it with `owner` and lets
// `run` show it (RunPreview, or a report's Execute with its request). Returns once the
// preview has closed, with the report freed and `slot` empty again, also when the report
// failed.
template <class T, class Run> void OpenReport(QPointer<T>& slot, QWidget* owner, Run&& run) {
    if (slot)
        return;
    const TDeletionHold hold(owner);
    std::unique_ptr<T> report(new T(owner));
    slot = report.get();
    run(*report);
}

// The master-data lists: created with no owner, as the application owns them.
template <class T> void OpenReport(QPointer<T>& slot) {
    OpenReport(slot, nullptr, [](T& report) { report.RunPreview(); });
}

// "―" for a name that is not known.
QString NameOrDash(const QString& name);
// The period of a log report: its day, or its first and last day joined by " ～ ".
QString PeriodText(TDateTime start, TDateTime end);

// The page fonts of the reports.
TFont ReportTitleFont();
TFont ReportTextFont(int size = 10);

} // namespace entrance
