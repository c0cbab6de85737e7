#pragma once

#include <QPointer>
#include <QWidget>
#include <utility>

class QAbstractButton;
class QEventLoop;
class QKeyEvent;
class QMdiArea;

// What a modal form answers when it closes.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7
};

// What closing a form does with it; FormClose may change it.
enum TCloseAction { caNone, caHide, caFree };

// The main window's MDI area, where forms shown as MDI children open. Without one they open
// as windows of their own.
void SetMainArea(QMdiArea* area);
QMdiArea* MainArea();

// A screen or dialog of the program: shown as an MDI child of the main area or modally.
// Closing a form frees it (unless FormClose says otherwise), which clears the global variable
// that held it when that is a QPointer. A form that closes itself while it is being created
// counts as not opened: its opener neither shows it nor calls it (OpenMdiChild).
//
// Keys that the focused control leaves alone reach the form: Enter in an entry field moves to
// the next control, Enter on a button clicks it, Esc focuses EscapeButton.
class TForm : public QWidget {
    Q_OBJECT
public:
    // `owner` (the main window, another form, or none) frees the form when it goes.
    explicit TForm(QWidget* owner = nullptr);
    ~TForm() override;
    Q_DISABLE_COPY(TForm)

    // Shows the form in front, as an MDI child of the main area when there is one.
    void ShowMdiChild();
    // Puts the shown form in front of the others and makes it the active one.
    void BringToFront();
    // Shows the form modally and returns its ModalResult once it has closed. The form is
    // freed afterwards (when its close frees it), so the caller must not touch it again. A form
    // already shown modally stays as it is, and the call answers mrCancel at once.
    int ShowModal();
    int ModalResult() const { return FModalResult; }
    // Any value but mrNone closes a modal form.
    void SetModalResult(int value);

    // True once the form has closed for good: it is about to be freed.
    bool Closing() const { return FClosing; }

    // Places the form in the middle of the main area (or of the screen without one).
    void CenterInMainArea();

    // The close or cancel button that Esc focuses.
    QAbstractButton* EscapeButton = nullptr;

protected:
    // The form is about to close; `action` starts as caFree.
    virtual void FormClose(TCloseAction& action) {}
    // The form is about to be shown (each time it is shown).
    virtual void FormShow() {}

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* Frame() const;

    int FModalResult = mrNone;
    bool FClosing = false;
    QEventLoop* FModalLoop = nullptr;
};

// Enter on the focused push button of `window` clicks it, as Space does; true when it did.
bool EnterClicksFocusedButton(const QWidget* window, const QKeyEvent* event);

// Opens the form that `global` holds, creating it with `args` when there is none, and shows it
// as an MDI child. Returns null, leaving `global` empty, when the form closed itself while it
// was being created or shown.
template <class T, class... Args> T* OpenMdiChild(QPointer<T>& global, Args&&... args) {
    if (!global || global->Closing()) {
        T* form = new T(std::forward<Args>(args)...);
        if (form->Closing())
            return nullptr;
        global = form;
    }
    global->ShowMdiChild();
    if (global && global->Closing())
        global = nullptr;
    return global.data();
}
