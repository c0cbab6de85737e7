#include "Form_LogDelete.h"

#include "LogMonths.h"
#include "base/DateTime.h"
#include "entrance/data/Unit_Entrance.h"
#include "storage/DataFileLock.h"
#include "ui/Color.h"
#include "ui/DisabledScope.h"
#include "ui/ShowMessage.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

namespace entrance {

namespace {

const char* const NoDataText = "削除できるデータは存在しません。";

} // namespace

TfrmLogDelete::TfrmLogDelete(QWidget* owner) : TForm(owner) {
    setWindowTitle("過去記録の削除");
    CreateControls();
    FEntrance = std::make_unique<TEntrance>();
    FEntrance->ListLogTables();
    RefreshLogList();
}

TfrmLogDelete::~TfrmLogDelete() = default;

void TfrmLogDelete::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("現在参照できる記録の期間です。", this));
    pnlActiveDte = new QLabel(this);
    pnlActiveDte->setFrameShape(QFrame::Panel);
    layout->addWidget(pnlActiveDte);
    layout->addLayout(CreateMonthPanels());
    auto* months = new QHBoxLayout;
    // The range makes 0 (which would take the current month) impossible.
    UpDownMonth = new QSpinBox(this);
    UpDownMonth->setRange(MinKeptLogMonths, MaxKeptLogMonths);
    UpDownMonth->setValue(DefaultKeptLogMonths);
    months->addWidget(UpDownMonth);
    months->addWidget(new QLabel("ヶ月分のデータを保持して残りを削除する。", this));
    months->addStretch();
    layout->addLayout(months);
    auto* buttons = new QHBoxLayout;
    btnOK = new QPushButton("実　行", this);
    btnCANCEL = new QPushButton("キャンセル", this);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCANCEL);
    layout->addLayout(buttons);
    EscapeButton = btnCANCEL;
    connect(btnOK, &QPushButton::clicked, this, &TfrmLogDelete::btnOKClick);
    connect(btnCANCEL, &QPushButton::clicked, this, &QWidget::close);
}

QLayout* TfrmLogDelete::CreateMonthPanels() {
    auto* strip = new QHBoxLayout;
    strip->setSpacing(0);
    for (int tag = 1; tag <= 12; ++tag) {
        auto* panel = new QLabel(this);
        panel->setObjectName("pnl" + QString::number(tag));
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setAutoFillBackground(true);
        panel->setMinimumSize(24, 20);
        panel->installEventFilter(this);
        strip->addWidget(panel);
        pnlMonths << panel;
    }
    return strip;
}

bool TfrmLogDelete::eventFilter(QObject* watched, QEvent* event) {
    const int index = pnlMonths.indexOf(qobject_cast<QLabel*>(watched));
    if (index >= 0 && event->type() == QEvent::MouseButtonPress)
        pnl1Click(index + 1);
    return TForm::eventFilter(watched, event);
}

void TfrmLogDelete::pnl1Click(int tag) {
    for (int i = 0; i < pnlMonths.size(); ++i) {
        QPalette palette = pnlMonths[i]->palette();
        palette.setColor(QPalette::Window, ToQColor(i + 1 >= tag ? clRed : clBtnFace));
        pnlMonths[i]->setPalette(palette);
    }
}

void TfrmLogDelete::FormShow() {
    CenterInMainArea();
}

void TfrmLogDelete::RefreshLogList() {
    lstLog.clear();
    for (const QString& table : FEntrance->LogTables)
        if (LogTableMonth(table))
            lstLog << table.right(7);
    lstLog.sort();
    for (QLabel* panel : pnlMonths)
        panel->clear();
    const QString period = LogPeriodText(FEntrance->LogTables);
    pnlActiveDte->setText(period.isEmpty() ? NoDataText : period);
}

void TfrmLogDelete::btnOKClick() {
    if (MessageBox("削除したデータを復帰することは出来ません。よろしいですか？", MB_OKCANCEL) !=
        IDOK)
        return;
    {
        TDisabledScope busy(this, true);
        DeleteOldTables();
    }
    MessageBox("終了しました。");
}

void TfrmLogDelete::DeleteOldTables() {
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    const int current = year * 100 + month;
    const int kept = UpDownMonth->value();
    for (const QString& table : FEntrance->LogTables) {
        const int month = LogTableMonth(table);
        if (!month)
            continue;
        const TLogMonthFate fate = LogMonthFate(month, current, kept);
        const bool marked =
            fate == TLogMonthFate::Delete ||
            (fate == TLogMonthFate::AskFuture &&
             MessageBox("未来のデータが存在します。削除しますか？", MB_OKCANCEL) == IDOK);
        if (marked && !DeleteLogTable(table))
            MessageBox(table + " は使用中のため削除できませんでした。");
    }
    FEntrance = std::make_unique<TEntrance>();
    FEntrance->ListLogTables();
    RefreshLogList();
}

// The table file, its index and companion files ("<table>.<extension>") go only while no
// statement, of this program or another, uses the table; it stays held exclusively until they
// are gone.
bool TfrmLogDelete::DeleteLogTable(const QString& table) {
    QDir folder(FEntrance->Path());
    const QRegularExpression ownFile("^" + QRegularExpression::escape(table) + "\\.[^.]+$",
                                     QRegularExpression::CaseInsensitiveOption);
    const QStringList files =
        folder.entryList(QDir::Files | QDir::Hidden, QDir::Name).filter(ownFile);
    const QStringList tableFiles =
        files.filter(QRegularExpression("\\.db$", QRegularExpression::CaseInsensitiveOption));
    if (tableFiles.isEmpty())
        return true;
    const DataFileLock exclusive(folder.filePath(tableFiles.first()), DataFileLock::Exclusive);
    if (!exclusive.IsLocked())
        return false;
    for (const QString& file : files)
        folder.remove(file);
    return true;
}

void TfrmLogDelete::FormClose(TCloseAction& action) {
    FEntrance.reset();
    action = caFree;
}

} // namespace entrance
