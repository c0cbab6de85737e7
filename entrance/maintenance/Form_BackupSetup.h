#pragma once

#include "ui/Form.h"

#include <QPointer>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;

namespace entrance {

class TEntrance;

// The backup: stops the communication program, compacts the database, starts the program
// again and hands the database, the unit table and the last three months' log tables to the
// backup library, and says when the backup is done. Refused when logged in to another PC's
// data.
class TfrmBackupSetup final : public TForm {
    Q_OBJECT
public:
    explicit TfrmBackupSetup(QWidget* owner = nullptr);
    ~TfrmBackupSetup() override;

    QPushButton* BitBtn1;
    QPushButton* btnClose;
    QCheckBox* ChkCompact;
    // The status bar's two panels: what the screen does, and the progress.
    QLabel* StatusPanel0;
    QLabel* StatusPanel1;

    void BitBtn1Click();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void SetProgress(const QString& text);
    void CompactWithCommStopped();
    bool StopCommProgram();
    void Compact();
    void AddBackupFiles();

    std::unique_ptr<TEntrance> FEntrance;
};

// The restore into the data folder, from the menu: refused in network mode and while the
// communication program runs (looked for again once the operator has agreed to replace the
// data with the set, whose time the question names); the program's own connections are closed
// meanwhile, and the main window is usable again whatever happened. It ends by saying whether
// the data was restored and that the communication program is to be started again.
void RestoreData(QWidget* mainWindow);

} // namespace entrance
