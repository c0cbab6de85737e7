#pragma once

#include "ui/CustomGrid.h"
#include "ui/Form.h"

#include <QPointer>

class QComboBox;
class QPushButton;
class QStatusBar;
class TStrSortGrid;

namespace entrance {

// The person picker: a sortable list of persons, filtered by department, reading and the
// code's first characters, from which the operator chooses one person or nobody. It is made
// anew for every search and freed when it closes.
class TfrmUserListUp final : public TForm {
    Q_OBJECT
public:
    explicit TfrmUserListUp(QWidget* owner = nullptr);

    // Shows the picker modally; the chosen 個人コード, empty when nobody was chosen. Mode 1
    // lists only the persons with a work group.
    QString SelectUser(int mode);
    // Hands `code` back and closes the picker.
    void ChooseUser(const QString& code);
    // Lists the persons the three filters let through.
    void RefreshUserGrid();

    TStrSortGrid* UserGrid;
    QComboBox* cmbCategory;
    QComboBox* cmbKana;
    QComboBox* cmbUserCode;
    QPushButton* btnClear;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QStatusBar* StatusBar1;

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    void UserGridDrawCell(int col, int row, const TRect& rect, TGridDrawState state);
    void btnClearClick();
    void ChooseCurrentRow();

    QString ChosenCode;
    int PickMode = 0;
};

} // namespace entrance
