#include "Unit_CommonWait.h"

#include "entrance/common/EntranceSession.h"
#include "entrance/common/Form_Message.h"

#include <QApplication>

namespace entrance {

void ShowWaitWindow(QWidget* form, bool normalStyle) {
    ShowMessageForm(form, normalStyle);
    if (form)
        form->setEnabled(false);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void SetWaitText(const QString& text) {
    if (EntranceSession().frmMessage)
        EntranceSession().frmMessage->SetTexts(text, "しばらくお待ち下さい・・・。");
}

void StartWaitProgress(int maximum) {
    if (EntranceSession().frmMessage)
        EntranceSession().frmMessage->StartProgress(maximum);
}

void StepWaitProgress() {
    if (EntranceSession().frmMessage)
        EntranceSession().frmMessage->StepProgress();
}

void CloseWaitWindow(QWidget* form) {
    CloseMessageForm();
    if (form)
        form->setEnabled(true);
}

TWaitWindowScope::TWaitWindowScope(QWidget* form, const QString& text, bool normalStyle)
    : FForm(form) {
    ShowWaitWindow(form, normalStyle);
    if (!text.isEmpty())
        SetWaitText(text);
}

TWaitWindowScope::~TWaitWindowScope() {
    CloseWaitWindow(FForm);
}

} // namespace entrance
