#include "Form_BackupSetup.h"

#include "Brevane.h"
#include "base/DateTime.h"
#include "base/Files.h"
#include "dbengine/Database.h"
#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/common/Unit_CommonDatabase.h"
#include "entrance/data/DataModule1.h"
#include "entrance/data/Unit_CommonRequests.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_TempTables.h"
#include "protocol/CommRequests.h"
#include "shared/UnitShare.h"
#include "storage/DataFileLock.h"
#include "ui/CopyData.h"
#include "ui/DisabledScope.h"
#include "ui/ShowMessage.h"
#include "ui/WaitCursor.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

namespace entrance {

namespace {

// The widest of the progress texts.
const QString StoppingComm = "認証機コミュニケーションを停止しています。";

// Waits without blocking the window: a nested event loop that a timer ends.
void Pause(int msecs) {
    QEventLoop loop;
    QTimer::singleShot(msecs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool CommRunning() {
    return FindWindowByCaption(CommCaption);
}

// Tells the operator to end the communication program while it runs.
bool CommStopped() {
    if (!CommRunning())
        return true;
    MessageBox("リストアするときは、認証機コミュニケーションを終了してください。");
    return false;
}

// Asks before the live data is replaced, naming when the set was made.
bool ConfirmRestore(TDateTime made) {
    return MessageBox(FormatDateTime("yyyy/mm/dd hh:nn", made) +
                          " のバックアップデータでリストアします。\r\n"
                          "現在のデータは置き換えられ、元に戻すことは出来ません。よろしいですか？",
                      MB_OKCANCEL) == IDOK;
}

void ReopenDatabases() {
    EntranceSession().DM1->DB2->Open();
    EntranceSession().DM1->DB1->Open();
}

} // namespace

TfrmBackupSetup::TfrmBackupSetup(QWidget* owner) : TForm(owner) {
    setWindowTitle("バックアップ");
    CreateControls();
    FEntrance = std::make_unique<TEntrance>();
    FEntrance->ListLogTables();
}

TfrmBackupSetup::~TfrmBackupSetup() = default;

void TfrmBackupSetup::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    ChkCompact = new QCheckBox("データの最適化のみを行う。", this);
    layout->addWidget(ChkCompact);
    layout->addWidget(new QLabel("認証記録データは、過去３ヶ月分のみをバックアップします。", this));
    auto* buttons = new QHBoxLayout;
    BitBtn1 = new QPushButton("実　行", this);
    btnClose = new QPushButton("閉じる", this);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(btnClose);
    layout->addLayout(buttons);
    auto* status = new QHBoxLayout;
    StatusPanel0 = new QLabel("　バックアップを行います。", this);
    StatusPanel1 = new QLabel(this);
    for (QLabel* panel : {StatusPanel0, StatusPanel1}) {
        panel->setFrameShape(QFrame::Panel);
        status->addWidget(panel, 1);
    }
    // The screen does not grow with the panel's text: it is wide enough for the widest at once.
    StatusPanel1->setMinimumWidth(StatusPanel1->fontMetrics().horizontalAdvance(StoppingComm) +
                                  2 * (StatusPanel1->frameWidth() + StatusPanel1->margin()));
    layout->addLayout(status);
    EscapeButton = btnClose;
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmBackupSetup::BitBtn1Click);
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmBackupSetup::FormShow() {
    CenterInMainArea();
}

void TfrmBackupSetup::SetProgress(const QString& text) {
    StatusPanel1->setText(text);
    QCoreApplication::processEvents();
}

void TfrmBackupSetup::BitBtn1Click() {
    if (EntranceSession().NetworkMode) {
        MessageBox("ネットワーク接続では、バックアップ処理はできません。");
        return;
    }
    bool backedUp = false;
    std::exception_ptr failure;
    {
        TDisabledScope busy(this, true);
        try {
            SetProgress(LoadStr(65106));
            CloseDatabases();
            CompactWithCommStopped();
            if (!ChkCompact->isChecked()) {
                AddBackupFiles();
                backedUp = StartBackup(this, "CompName");
            }
        } catch (...) {
            failure = std::current_exception();
        }
        StatusPanel1->clear();
    }
    ReopenDatabases();
    if (failure)
        std::rethrow_exception(failure);
    if (backedUp)
        MessageBox("バックアップが終了しました。");
}

// The communication program is started again on every way out, so the units are polled
// again whatever the compaction did.
void TfrmBackupSetup::CompactWithCommStopped() {
    const bool commWasRunning = StopCommProgram();
    auto restart = [commWasRunning] {
        if (commWasRunning && !CommRunning()) {
            // The communication program lies in the data folder, which is the program folder.
            ExecProgram(ExtractFilePath(EntranceSession().DataPath) + CommProgram);
            Pause(1024);
        }
    };
    try {
        Compact();
    } catch (...) {
        restart();
        throw;
    }
    restart();
}

// True when the program was running; it is asked once, and once more after 99 rounds.
bool TfrmBackupSetup::StopCommProgram() {
    if (!CommRunning())
        return false;
    SendCommRequest(CD_TERMINATE, QString());
    SetProgress(StoppingComm);
    Pause(2048);
    for (int counter = 1; CommRunning() && counter < 120; ++counter) {
        Pause(128);
        if (counter == 99) {
            SendCommRequest(CD_TERMINATE, QString());
            Pause(2048);
        }
    }
    return true;
}

// Compaction replaces the database file, so it waits until no other program has the file
// open and holds it exclusively from then to the end.
void TfrmBackupSetup::Compact() {
    const QString database = ExtractFilePath(EntranceSession().DataPath) + LoadStr(65181);
    std::unique_ptr<DataFileLock> hold;
    for (int counter = 1; !hold && counter < 100; ++counter) {
        hold = std::make_unique<DataFileLock>(database, DataFileLock::Exclusive);
        if (!hold->IsLocked()) {
            hold.reset();
            Pause(64);
        }
    }
    if (!hold) {
        SetProgress("LDBの削除に失敗しました。");
        return;
    }
    SetProgress("最適化実行中");
    SetProgress(CompactDatabase(database, "Temp/", *hold) ? "最適化に成功しました。"
                                                          : "最適化に失敗しました。");
}

void TfrmBackupSetup::AddBackupFiles() {
    const QString folder = ExtractFilePath(EntranceSession().DataPath);
    auto addWithIndex = [](const QString& file) {
        AddResFile(file);
        const QString index = file.left(file.lastIndexOf('.')) + ".PX";
        if (QFile::exists(index))
            AddResFile(index);
    };
    ClearResFile();
    AddResFile(folder + LoadStr(65181));
    addWithIndex(folder + LoadStr(65183));
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    for (int i = 0; i < 3; ++i) {
        const TDateTime first = EncodeDate(year, month, 1);
        if (FEntrance->LogTableExists(first))
            addWithIndex(FEntrance->LogFileOfMonth(first));
        if (--month == 0) {
            month = 12;
            --year;
        }
    }
}

void TfrmBackupSetup::FormClose(TCloseAction& action) {
    FEntrance.reset();
    action = caFree;
}

void RestoreData(QWidget* mainWindow) {
    if (EntranceSession().NetworkMode) {
        MessageBox("ネットワーク接続中は、リストアはできません。");
        return;
    }
    if (!CommStopped())
        return;
    TRestoreResult result = TRestoreResult::Failed;
    std::exception_ptr failure;
    {
        TDisabledScope busy(mainWindow, true);
        try {
            EntranceSession().DM1->DB1->Close();
            EntranceSession().DM1->DB2->Close();
            Session().Close();
            // The folder dialog and the question may stay open for hours: the program is
            // looked for again after them.
            result =
                StartRestore(mainWindow, ExtractFilePath(EntranceSession().DataPath), "CompName",
                             [](TDateTime made) { return ConfirmRestore(made) && CommStopped(); });
            QCoreApplication::processEvents();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    // Whatever happened, the main window is usable again before the databases open. A restore
    // that did not complete may leave them unable to open: that is told after its outcome.
    std::exception_ptr reopening;
    try {
        ReopenDatabases();
    } catch (...) {
        reopening = std::current_exception();
    }
    if (failure)
        std::rethrow_exception(failure);
    // The operator ended the communication program for the restore; the units are polled again
    // only once it is started.
    QString text = result == TRestoreResult::Restored ? "リストアが終了しました。"
                   : result == TRestoreResult::Unfinished
                       ? "リストアは完了しませんでした。\r\n"
                         "残りのファイルは次にデータを開くときに置き換えられます。"
                       : "リストアは行われませんでした。";
    if (!CommRunning())
        text += "\r\n認証機コミュニケーションを起動してください。";
    MessageBox(text);
    if (reopening)
        std::rethrow_exception(reopening);
}

} // namespace entrance
