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
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QVBoxLayout>
#include <vector>

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
    // A month whose table is written in several cases is decided once, for all of them.
    QSet<int> decided;
    for (const QString& table : FEntrance->LogTables) {
        const int month = LogTableMonth(table);
        if (!month || decided.contains(month))
            continue;
        decided << month;
        const TLogMonthFate fate = LogMonthFate(month, current, kept);
        const bool marked =
            fate == TLogMonthFate::Delete ||
            (fate == TLogMonthFate::AskFuture &&
             MessageBox("未来のデータが存在します。削除しますか？", MB_OKCANCEL) == IDOK);
        QString busy;
        if (marked && !DeleteLogTable(table, busy))
            MessageBox(busy + " は使用中のため削除できませんでした。");
    }
    FEntrance = std::make_unique<TEntrance>();
    FEntrance->ListLogTables();
    RefreshLogList();
}

// A table is its file and the journal SQLite keeps beside it, in every case its name is
// written in; any other file that starts with its name is not the table's. All of its files go
// only while no statement, of this program or another, uses any of them: each is held
// exclusively before the first goes; false, with `busy` naming the table as written in the
// file another holder keeps, when one cannot be. The journal goes first, since one left behind
// would be played into a later table of the same name.
bool TfrmLogDelete::DeleteLogTable(const QString& table, QString& busy) {
    QDir folder(FEntrance->Path());
    QStringList tableFiles;
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        if (name.compare(table + ".DB", Qt::CaseInsensitive) == 0)
            tableFiles << name;
    std::vector<std::unique_ptr<DataFileLock>> holds;
    for (const QString& name : tableFiles) {
        holds.push_back(
            std::make_unique<DataFileLock>(folder.filePath(name), DataFileLock::Exclusive));
        if (!holds.back()->IsLocked()) {
            busy = QFileInfo(name).completeBaseName();
            return false;
        }
    }
    // A file that cannot be deleted stays; the refreshed period then shows its month.
    for (const QString& name : tableFiles) {
        const QString journal = name + "-journal";
        if (!folder.exists(journal) || folder.remove(journal))
            folder.remove(name);
    }
    return true;
}

void TfrmLogDelete::FormClose(TCloseAction& action) {
    FEntrance.reset();
    action = caFree;
}

} // namespace entrance
