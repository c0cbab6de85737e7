#include "ui/Form.h"
#include "ui/ApplicationTitle.h"
#include "ui/ShowMessage.h"

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// When a test form decides to close itself.
enum TCloseAt { NeverClose, CloseAtCreate, CloseAtShow };

// A screen with two entry fields and two buttons; it counts what it is asked to do.
class TTestForm : public TForm {
public:
    explicit TTestForm(QWidget* owner, TCloseAt closeAt = NeverClose)
        : TForm(owner), FCloseAt(closeAt) {
        auto* layout = new QVBoxLayout(this);
        for (QWidget* w :
             std::initializer_list<QWidget*>{Ed1 = new QLineEdit(this), Ed2 = new QLineEdit(this),
             btnOK = new QPushButton("OK", this), btnClose = new QPushButton("閉じる", this)})
            layout->addWidget(w);
        EscapeButton = btnClose;
        connect(btnOK, &QPushButton::clicked, this, [this] { ++OkClicks; });
        resize(200, 160);
        if (closeAt == CloseAtCreate)
            close();
    }

    QLineEdit* Ed1;
    QLineEdit* Ed2;
    QPushButton* btnOK;
    QPushButton* btnClose;
    int OkClicks = 0;
    int Shows = 0;
    static inline int Closes = 0;

protected:
    void FormShow() override {
        ++Shows;
        if (FCloseAt == CloseAtShow)
            close();
    }
    void FormClose(TCloseAction& action) override { ++Closes; }

private:
    TCloseAt FCloseAt;
};

void RunDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A main window's MDI area for the forms of one test.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Area.resize(800, 600);
        Area.show();
        SetMainArea(&Area);
        TTestForm::Closes = 0;
    }
    void TearDown() override {
        SetMainArea(nullptr);
        RunDeferredDeletes();
    }
    QMdiArea Area;
};

} // namespace

// However a screen is closed, it is freed and its global variable is empty again.
TEST_F(FormTest, ClosingFreesTheFormAndEmptiesItsGlobal) {
    const struct {
        const char* Way;
        std::function<void(TTestForm*)> Close;
    } ways[] = {
        {"the form closes", [](TTestForm* f) { f->close(); }},
        {"its MDI frame closes", [](TTestForm* f) { f->parentWidget()->close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.Way);
        QPointer<TTestForm> global;
        ASSERT_NE(OpenMdiChild(global, &Area), nullptr);
        ASSERT_TRUE(qobject_cast<QMdiSubWindow*>(global->parentWidget()));
        EXPECT_EQ(Area.subWindowList().size(), 1);
        way.Close(global);
        EXPECT_EQ(TTestForm::Closes, 1);
        RunDeferredDeletes();
        EXPECT_TRUE(global.isNull());
        EXPECT_TRUE(Area.subWindowList().isEmpty());
        TTestForm::Closes = 0;
    }
}

// A screen is opened once: the second open shows the same form again.
TEST_F(FormTest, OpenMdiChildCreatesTheFormOnce) {
    QPointer<TTestForm> global;
    TTestForm* first = OpenMdiChild(global, &Area);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OpenMdiChild(global, &Area), first);
    EXPECT_EQ(Area.subWindowList().size(), 1);
    EXPECT_TRUE(first->isVisible());
    // A form that closed but is not freed yet is not shown again: a new one opens.
    first->close();
    TTestForm* second = OpenMdiChild(global, &Area);
    EXPECT_NE(second, first);
    EXPECT_EQ(global.data(), second);
    second->close();
}

// A form that closes itself while it is created or shown is not opened: the opener gets null,
// the global stays empty, and nothing is left on the screen.
TEST_F(FormTest, FormThatClosesWhileOpeningIsNotOpened) {
    for (TCloseAt at : {CloseAtCreate, CloseAtShow}) {
        SCOPED_TRACE(at);
        QPointer<TTestForm> global;
        EXPECT_EQ(OpenMdiChild(global, &Area, at), nullptr);
        EXPECT_TRUE(global.isNull());
        EXPECT_EQ(TTestForm::Closes, 1);
        RunDeferredDeletes();
        EXPECT_TRUE(Area.subWindowList().isEmpty());
        TTestForm::Closes = 0;
    }
}

// A modal form answers its ModalResult and is freed afterwards; one that closed itself while
// being created is never shown.
TEST_F(FormTest, ShowModalAnswersTheModalResult) {
    QPointer<TTestForm> form = new TTestForm(nullptr);
    QTimer::singleShot(0, [form] {
        ASSERT_TRUE(form && form->isVisible() && form->isModal());
        form->SetModalResult(mrOk);
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    RunDeferredDeletes();
    EXPECT_TRUE(form.isNull());

    QPointer<TTestForm> closed = new TTestForm(nullptr, CloseAtCreate);
    EXPECT_EQ(closed->ShowModal(), mrNone);
    EXPECT_EQ(closed->Shows, 0);
    RunDeferredDeletes();
    EXPECT_TRUE(closed.isNull());
}

// Asked to show modally again while it is shown so (a handler reached twice), the form stays
// as it is, with what was typed, and the second call answers at once that nothing was chosen.
TEST_F(FormTest, ShowModalAgainWhileShownIsRefused) {
    QPointer<TTestForm> form = new TTestForm(nullptr);
    int again = -1;
    QTimer::singleShot(0, [form, &again] {
        form->Ed1->setText("typed");
        again = form->ShowModal();
        ASSERT_TRUE(form && form->isVisible() && form->isModal());
        EXPECT_EQ(form->Ed1->text(), "typed");
        form->SetModalResult(mrOk);
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_EQ(again, mrCancel);
    RunDeferredDeletes();
    EXPECT_TRUE(form.isNull());
}

// Enter in an entry field moves on, Enter on a button clicks it, Esc goes to the close button.
TEST_F(FormTest, EnterAndEscRules) {
    QPointer<TTestForm> global;
    TTestForm* f = OpenMdiChild(global, &Area);
    ASSERT_NE(f, nullptr);
    QApplication::setActiveWindow(&Area);
    const struct {
        QWidget* From;
        Qt::Key Key;
        QWidget* To;
        int OkClicks;
    } cases[] = {
        {f->Ed1, Qt::Key_Return, f->Ed2, 0},
        {f->Ed2, Qt::Key_Enter, f->btnOK, 0},
        {f->btnOK, Qt::Key_Return, f->btnOK, 1},
        {f->Ed1, Qt::Key_Escape, f->btnClose, 0},
    };
    for (const auto& c : cases) {
        f->OkClicks = 0;
        c.From->setFocus();
        ASSERT_TRUE(c.From->hasFocus());
        QTest::keyClick(c.From, c.Key);
        EXPECT_TRUE(c.To->hasFocus()) << c.Key;
        EXPECT_EQ(f->OkClicks, c.OkClicks) << c.Key;
    }
    f->close();
}

TEST_F(FormTest, CenterInMainAreaCentresTheFrame) {
    QPointer<TTestForm> global;
    TTestForm* f = OpenMdiChild(global, &Area);
    ASSERT_NE(f, nullptr);
    f->CenterInMainArea();
    const QRect frame = f->parentWidget()->geometry();
    const QRect area = Area.viewport()->rect();
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 1);
    f->close();
}

// The boxes carry the application's title, the buttons and icon asked for, and the answer
// of the button pressed.
TEST(MessageBoxTest, TitleButtonsIconAndAnswer) {
    SetApplicationTitle("入退室管理");
    const struct {
        unsigned Flags;
        QMessageBox::StandardButton Press;
        QMessageBox::StandardButtons Buttons;
        QMessageBox::Icon Icon;
        int Answer;
    } cases[] = {
        {MB_OK, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::NoIcon, IDOK},
        {MB_OKCANCEL, QMessageBox::Ok, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoIcon,
         IDOK},
        {MB_OKCANCEL | MB_ICONEXCLAMATION, QMessageBox::Cancel,
         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Warning, IDCANCEL},
        {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Warning, IDOK},
    };
    for (const auto& c : cases) {
        QString title;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::Critical;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            buttons = box->standardButtons();
            icon = box->icon();
            box->button(c.Press)->click();
        });
        EXPECT_EQ(MessageBox("本文", c.Flags), c.Answer) << c.Flags;
        EXPECT_EQ(title, "入退室管理");
        EXPECT_EQ(buttons, c.Buttons) << c.Flags;
        EXPECT_EQ(icon, c.Icon) << c.Flags;
    }
}

// A box raised while the active window is closed and waits to be deleted outlives that window,
// and its owner deleted while it is open ends it as a cancel, not a crash.
TEST(MessageBoxTest, OutlivesItsWindow) {
    auto* closed = new QWidget;
    closed->setAttribute(Qt::WA_DeleteOnClose);
    closed->show();
    closed->activateWindow();
    QApplication::setActiveWindow(closed);
    closed->close();
    QTimer::singleShot(50, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(MessageBox("本文", MB_OKCANCEL), IDOK);

    auto* owner = new QWidget;
    owner->show();
    QApplication::setActiveWindow(owner);
    QTimer::singleShot(50, [owner] { delete owner; });
    EXPECT_EQ(MessageBox("本文", MB_OKCANCEL), IDCANCEL);
}
