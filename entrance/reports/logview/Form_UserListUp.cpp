#include "Form_UserListUp.h"

#include "components/grids/StrSortGrid.h"
#include "dbengine/Query.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_CommonText.h"
#include "entrance/data/UserRows.h"
#include "ui/ImeMode.h"
#include "ui/MaxBytes.h"
#include "ui/SelectionColor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

namespace entrance {

namespace {

enum { ColCode, ColName, ColDept };

QComboBox* NewFilterCombo(QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    // Typed text filters the list; it never becomes an item.
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

} // namespace

TfrmUserListUp::TfrmUserListUp(QWidget* owner) : TForm(owner) {
    setWindowTitle("個人情報一覧");
    CreateControls();
    FormCreate();
}

void TfrmUserListUp::CreateControls() {
    auto* layout = new QGridLayout(this);
    UserGrid = new TStrSortGrid(this);
    UserGrid->SetColCount(3);
    UserGrid->SetRowCount(2);
    UserGrid->SetFixedCols(0);
    UserGrid->SetFixedRows(1);
    UserGrid->SetOptions(UserGrid->Options() | goRowSelect);
    UserGrid->SetSortType(soInteger);
    UserGrid->SetSortOps(soBoth);
    const int widths[] = {84, 144, 171};
    const char* const headers[] = {"個人コード", "氏　　　名", "部　門　名"};
    for (int c = ColCode; c <= ColDept; ++c) {
        UserGrid->SetColWidths(c, widths[c]);
        UserGrid->SetCells(c, 0, headers[c]);
    }
    UserGrid->setMinimumSize(410, 300);
    UserGrid->OnDrawCell = [this](QObject*, int col, int row, const TRect& rect,
                                  TGridDrawState state) {
        UserGridDrawCell(col, row, rect, state);
    };
    UserGrid->OnEnter = [this](QObject*) { UserGrid->Invalidate(); };
    UserGrid->OnExit = [this](QObject*) { UserGrid->Invalidate(); };
    UserGrid->OnDblClick = [this](QObject*) { ChooseCurrentRow(); };
    UserGrid->OnKeyPress = [this](QObject*, QChar& key) {
        if (key == '\r') {
            key = QChar();
            ChooseCurrentRow();
        }
    };
    layout->addWidget(UserGrid, 0, 0, 1, 4);

    cmbCategory = NewFilterCombo(this);
    cmbKana = NewFilterCombo(this);
    cmbKana->addItems({"", "[ｱ-ｵ]", "[ｶ-ｺ]", "[ｻ-ｿ]", "[ﾀ-ﾄ]", "[ﾅ-ﾉ]", "[ﾊ-ﾎ]", "[ﾏ-ﾓ]", "[ﾔ-ﾖ]",
                       "[ﾗ-ﾛ]", "[ﾜ-ﾝ]"});
    SetImeMode(cmbKana, imSKata);
    cmbUserCode = NewFilterCombo(this);
    cmbUserCode->addItem("");
    for (int d = 0; d <= 9; ++d)
        cmbUserCode->addItem(QString::number(d));
    SetMaxBytes(cmbUserCode->lineEdit(), 8);
    const struct {
        const char* caption;
        QComboBox* combo;
    } filters[] = {{"部 門 名", cmbCategory}, {"ﾌﾘｶﾞﾅ", cmbKana}, {"個人コード", cmbUserCode}};
    for (int i = 0; i < 3; ++i) {
        layout->addWidget(new QLabel(filters[i].caption, this), 1 + i, 0);
        layout->addWidget(filters[i].combo, 1 + i, 1, 1, 2);
        connect(filters[i].combo, &QComboBox::currentTextChanged, this,
                &TfrmUserListUp::RefreshUserGrid);
        filters[i].combo->lineEdit()->installEventFilter(this);
    }
    btnClear = new QPushButton("クリア", this);
    layout->addWidget(btnClear, 1, 3);
    btnOk = new QPushButton("選　択", this);
    btnCancel = new QPushButton("キャンセル", this);
    layout->addWidget(btnOk, 2, 3);
    layout->addWidget(btnCancel, 3, 3);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->showMessage("　ユーザを選択して下さい。");
    layout->addWidget(StatusBar1, 4, 0, 1, 4);
    EscapeButton = btnCancel;
    connect(btnClear, &QPushButton::clicked, this, &TfrmUserListUp::btnClearClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmUserListUp::ChooseCurrentRow);
    connect(btnCancel, &QPushButton::clicked, this, [this] { ChooseUser(QString()); });
}

void TfrmUserListUp::FormCreate() {
    const QSignalBlocker quiet(cmbCategory);
    cmbCategory->clear();
    cmbCategory->addItems({LoadStr(65121), LoadStr(65122)});
    cmbCategory->addItems(DepartmentItems());
    cmbCategory->setCurrentIndex(-1);
    cmbCategory->setEditText("");
}

QString TfrmUserListUp::SelectUser(int mode) {
    ChosenCode.clear();
    PickMode = mode;
    CenterInMainArea();
    ShowModal();
    return ChosenCode;
}

void TfrmUserListUp::ChooseUser(const QString& code) {
    ChosenCode = code;
    SetModalResult(mrOk);
}

void TfrmUserListUp::ChooseCurrentRow() {
    ChooseUser(UserGrid->Cells(ColCode, UserGrid->Row()));
}

void TfrmUserListUp::FormShow() {
    RefreshUserGrid();
    UserGrid->setFocus();
}

void TfrmUserListUp::RefreshUserGrid() {
    TUserListFilter filter;
    filter.Dept = DeptFilterOf(cmbCategory->currentText());
    filter.Kana = TrimJ(cmbKana->currentText());
    filter.Code = TrimJ(cmbUserCode->currentText());
    filter.WorkGroupOnly = PickMode == 1;
    TQuery sqlGridVuew;
    AssignListQuery(sqlGridVuew, UserListSQL(filter, false));
    QList<QStringList> rows;
    for (sqlGridVuew.Open(); !sqlGridVuew.Eof(); sqlGridVuew.Next())
        rows << QStringList{sqlGridVuew.FieldByName("個人コード")->AsString(),
                            sqlGridVuew.FieldByName("氏名")->AsString(),
                            sqlGridVuew.FieldByName("部門名")->AsString()};
    sqlGridVuew.Close();
    UserGrid->SetRowCount(2);
    UserGrid->SetRows(1, {"", "", ""});
    UserGrid->SetSortRows(0);
    if (rows.isEmpty())
        return;
    UserGrid->SetRowCount(int(rows.size()) + 1);
    UserGrid->SetSortRows(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        UserGrid->SetRows(r + 1, rows[r]);
}

void TfrmUserListUp::btnClearClick() {
    for (QComboBox* combo : {cmbCategory, cmbKana, cmbUserCode}) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(-1);
        combo->setEditText("");
    }
    RefreshUserGrid();
}

// The selected row in white on the selection colour, which is darker while the grid has the
// focus.
void TfrmUserListUp::UserGridDrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
    if (!(state & (gdSelected | gdFocused)) || (state & gdFixed))
        return;
    TCanvas& canvas = *UserGrid->Canvas();
    SetSelectedRowColors(canvas, UserGrid->IsActiveControl());
    canvas.FillRect(rect);
    TRect r = rect;
    r.Left += 2;
    canvas.DrawText(UserGrid->Cells(col, row), r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

// Enter in a filter moves on to the next control.
bool TfrmUserListUp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return TForm::eventFilter(watched, event);
}

} // namespace entrance
