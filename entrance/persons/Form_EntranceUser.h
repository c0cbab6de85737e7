#pragma once

#include "ui/Form.h"

#include <QList>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class TMOStringGrid;

namespace entrance {

class TEntrance;
struct TUnitTick;

// The units a person may use: one tick per unit, stored into M_使用認証機; a unit on which the
// person was registered is only given up once its removal has been handed to the
// communication program.
class TfrmEntranceUser final : public TForm {
    Q_OBJECT
public:
    explicit TfrmEntranceUser(QWidget* owner);
    ~TfrmEntranceUser() override;

    // Shows the person's ticks and runs the dialog modally; the dialog is freed afterwards.
    int EditUnitsForUser(const QString& Code, const QString& Name);
    void LoadUnitGrid();
    // The ticks of the grid, top to bottom.
    QList<TUnitTick> Ticks() const;

    TMOStringGrid* EntGrid;
    QLabel* pnlCaption;
    QLabel* Ed_Name;
    QLineEdit* Ed_Code;
    QPushButton* btnAllCheck;
    QPushButton* btnAllNONE;
    QPushButton* btnOK;
    QPushButton* btnCANCEL;
    QStatusBar* StatusBar1;

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;

private:
    void CreateControls();
    void FormCreate();
    void SetAll(const QString& value);
    void EntGridKeyPress(QObject* Sender, QChar& Key);
    void btnOKClick();

    TEntrance* Units = nullptr;
};

} // namespace entrance
