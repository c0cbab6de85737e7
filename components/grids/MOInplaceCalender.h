#pragma once

#include "base/DateTime.h"
#include "components/grids/MOGridColumns.h"
#include "ui/CustomGrid.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>

enum TMODayWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };

// A month as a 7 x 7 grid: weekday names in the fixed top row, the days below, each in the
// column of its weekday from StartWeek on. Only day cells can be selected; selecting one
// sets Day.
class TMOInplaceCalender : public TCustomGrid {
    Q_OBJECT
public:
    explicit TMOInplaceCalender(QWidget* parent = nullptr);

    TDateTime Date() const { return FDate; }
    void SetDate(TDateTime value);
    int Year() const;
    void SetYear(int value);
    int Month() const;
    void SetMonth(int value);
    int Day() const;
    void SetDay(int value);
    TMODayWeekName StartWeek() const { return FStartWeek; }
    void SetStartWeek(TMODayWeekName value);
    TColor WeekEndColor() const { return FWeekEndColor; }
    void SetWeekEndColor(TColor value);
    TColor SaturDayColor() const { return FSaturDayColor; }
    void SetSaturDayColor(TColor value);
    TColor DayTextColor() const { return FDayTextColor; }
    void SetDayTextColor(TColor value);
    // The month shown changed through one of the steps.
    TNotifyEvent OnChange;

    // Weekday names in row 0, day numbers below; empty outside the month.
    QString GetCellText(int col, int row) const;
    // Lays the month of Date out and makes its day the current cell.
    void UpdateCalendar();
    void NextMonth();
    void PrevMonth();
    void NextYear();
    void PrevYear();

protected:
    void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
    bool SelectCell(int col, int row) override;
    void Click() override;
    void Resize() override;

private:
    void StepMonths(int months);
    // Sunday 0 ... Saturday 6 of a column.
    int WeekdayOfCol(int col) const { return (int(FStartWeek) + col) % 7; }

    TDateTime FDate;
    TMODayWeekName FStartWeek = Mon;
    TColor FWeekEndColor = 0x0000FF;
    TColor FSaturDayColor = 0xFF0000;
    TColor FDayTextColor = clWindowText;
    int FMonthOffset = 0;
    bool FUpdating = false;
};

// A button that repeats its click while held: first after 500 ms, then every 100 ms.
class TMOSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TMOSpeedButton(QWidget* parent = nullptr);
};

// The line under the drop-down calendar that shows today; a double click on it moves the
// calendar to today.
class TMOStatusPanel : public QLabel {
    Q_OBJECT
public:
    explicit TMOStatusPanel(QWidget* parent = nullptr);
    TNotifyEvent OnDblClick;
    // "今日: " and today with its Japanese era.
    static QString TodayText();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The window that drops down under a calendar cell's editor: a title with the month and
// four step buttons, the calendar, and the line for today. It closes when a day is
// clicked or when the user turns to another window.
class TMOPopupPanel : public QFrame {
    Q_OBJECT
public:
    TMOPopupPanel(const TCalColors& colors, TDateTime date, QWidget* parent = nullptr);
    TMOInplaceCalender* Calendar() const { return FCalendar; }
    // Shows the panel with its top left corner at `pos` (screen coordinates), moved up when
    // it would leave the bottom of the screen.
    void Popup(const QPoint& pos);
    // The panel closed; `chosen` when a day was clicked.
    std::function<void(bool chosen)> OnClose;
    // Closes the panel as if the focus had gone elsewhere.
    void CloseUp(bool chosen);

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateTitle();

    TMOInplaceCalender* FCalendar;
    QLabel* FTitle;
    bool FClosing = false;
};
