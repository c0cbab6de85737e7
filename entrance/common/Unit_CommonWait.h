#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace entrance {

// The wait window as the screens use it. Each routine but ShowWaitWindow does nothing to the
// window when there is none.

// Shows the wait window over `form` and disables the form; lets pending events run.
void ShowWaitWindow(QWidget* form, bool normalStyle = false);
// The caller's text, under it "しばらくお待ち下さい・・・。".
void SetWaitText(const QString& text);
// Shows the progress bar at 0 of `maximum`.
void StartWaitProgress(int maximum);
// One step further, never past the maximum.
void StepWaitProgress();
// Closes the wait window and enables `form` again.
void CloseWaitWindow(QWidget* form);

// Shows the wait window for the life of a scope: it closes and the form is enabled again on
// every way out, an exception included.
class TWaitWindowScope {
public:
    explicit TWaitWindowScope(QWidget* form, const QString& text = QString(),
                              bool normalStyle = false);
    ~TWaitWindowScope();
    TWaitWindowScope(const TWaitWindowScope&) = delete;
    TWaitWindowScope& operator=(const TWaitWindowScope&) = delete;

private:
    QPointer<QWidget> FForm;
};

} // namespace entrance
