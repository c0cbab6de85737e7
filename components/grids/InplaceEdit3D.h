#pragma once

#include "base/DateTime.h"
#include "components/grids/MOGridColumns.h"
#include "components/grids/MOInplaceCalender.h"
#include "ui/InplaceEdit.h"

#include <QListWidget>
#include <QPointer>

class TMOStringGrid;

enum TEditStyle3D { esSimple, esEllipsis, esList, esReadOnlyList, esCheckBox, esSpin, esCalendar };

// The editor style that serves a column's button style.
TEditStyle3D EditStyleOf(TMOColumnButtonStyle style);
// The spin step on a text: empty counts as 0, the result stays within MinValue..MaxValue
// unless the two are equal; a text that is no integer is left as it is.
QString SpinText(const QString& text, int direction, const TSpinButtonOption& option);
// The Qt input mask for an edit mask written as "!99/99/00;1;_".
QString ToQtInputMask(const QString& editMask);

// The drop-down list of a list column's editor.
class TPopListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TPopListBox(QWidget* parent);
    // Shows the entries under `anchor` (above it when there is no room below), at least
    // as wide as the anchor.
    void Popup(QWidget* anchor, const QStringList& entries);
    std::function<void(const QString& entry)> OnChoose;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// The editor of the editing grid: a plain edit, or one with a button at its right that
// opens a list or the calendar, steps a number, or asks the screen (ellipsis); or a
// check box that toggles the cell.
class TInplaceEdit3D : public TInplaceEdit {
    Q_OBJECT
public:
    explicit TInplaceEdit3D(TMOStringGrid* grid);
    ~TInplaceEdit3D() override;
    TEditStyle3D EditStyle() const { return FStyle; }
    void UpdateContents() override;
    // As wide as a vertical scroll bar and 4 pixels more; 0 without a button.
    int ButtonWidth() const;
    bool Checked() const { return FChecked; }
    // The date the calendar opens on.
    TDateTime CalendarDate() const { return FDate; }
    bool ListVisible() const { return FList && FList->isVisible(); }
    TMOPopupPanel* CalendarPanel() const { return FPanel; }
    void DropDown();
    void Spin(int direction);
    void ToggleCheck();

protected:
    void Change() override;
    void BoundsChanged() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TMOGridColumn* Column() const;
    QRect ButtonRect() const;
    void PaintButton(QPainter& painter);
    void ClickEllipsis();
    void TakeCalendarDate();

    TMOStringGrid* FMOGrid;
    TEditStyle3D FStyle = esSimple;
    bool FPressed = false;
    bool FChecked = false;
    TDateTime FDate = 0;
    QPointer<TPopListBox> FList;
    QPointer<TMOPopupPanel> FPanel;
};
