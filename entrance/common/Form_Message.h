#pragma once

#include "ui/Form.h"

#include <QElapsedTimer>
#include <QPointer>

class QLabel;
class QProgressBar;

namespace entrance {

// The wait window: what a long operation is doing, optionally with a progress bar. There is
// one at a time; the wrappers of Unit_CommonWait.h are the only callers. The user cannot
// close it (it stays enabled, so its texts read plainly); each show puts up the hourglass over
// the whole program, which stays until the window is freed. It opens near the main window's top
// left corner, below its top panel, and keeps in front: a message box that comes up meanwhile
// finds it moved above the box, so that neither hides the other.
class TfrmMessage final : public TForm {
    Q_OBJECT
public:
    explicit TfrmMessage(QWidget* owner);
    ~TfrmMessage() override;

    QLabel* Ed_Message;
    QLabel* Ed_MainMes;
    QProgressBar* PBar1;
    QLabel* Image1;

    void SetTexts(const QString& text, const QString& mainText);
    void StartProgress(int maximum);
    void StepProgress();

protected:
    void FormShow() override;
    void FormClose(TCloseAction& action) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend void ShowMessageForm(QWidget* owner, bool normalStyle);
    friend void CloseMessageForm();
    void CreateControls();
    void PlaceBelowTopPanel();
    void StayAbove(QWidget* box);
    QRect FrameWithTitleBar(const QWidget* window) const;
    void FinalizeProgressBar();
    void TakeProgress();
    bool FMayClose = false;
    int FWaitCursors = 0;   // hourglasses put up by the shows, taken down when freed
    int FProgress = 0;      // steps counted, ahead of the bar's value between its paints
    QElapsedTimer FPainted; // since the bar last took the steps
};

// Shows the wait window (creating it with `owner` when there is none) in front of the other
// windows, or as an ordinary window when `normalStyle` is set.
void ShowMessageForm(QWidget* owner, bool normalStyle);
// Closes the wait window when it exists.
void CloseMessageForm();

} // namespace entrance
