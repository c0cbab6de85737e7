#pragma once

#include "odbcdriver/OdbcInstaller.h"
#include "storage/Connection.h"
#include "tests/entrance/EntranceFixture.h"
#include "ui/CustomGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

namespace entrance {

// The message of a store that finds its row changed or deleted by another terminal.
inline const QString RowChanged = "他の端末で変更または削除されたため、登録できませんでした。";
// The same of a row changed elsewhere, shown under the operator's typing.
inline const QString RowChangedShown =
    RowChanged + "\n他の端末で登録された内容を表示しました（変更した項目は入力したままです）。"
                 "もう一度登録すると、画面の内容で登録します。";
// The message of a store that finds its row deleted by another terminal.
inline const QString RowDeleted = "他の端末で削除されたため、登録できませんでした。";

// Answers the message boxes that come up while it lives, OK unless a Cancel is queued, and
// keeps their texts.
class TMessageAnswers {
public:
    TMessageAnswers() {
        FTimer.setInterval(10);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Texts << box->text();
                if (OnShown)
                    OnShown(box);
                const bool cancel = !Cancels.isEmpty() && Cancels.takeFirst();
                box->done(cancel ? QMessageBox::Cancel : QMessageBox::Ok);
            }
        });
        FTimer.start();
    }
    QStringList Texts;
    // Per coming box: true answers Cancel.
    QList<bool> Cancels;
    // Runs for each box before it is answered.
    std::function<void(QMessageBox*)> OnShown;

private:
    QTimer FTimer;
};

// Runs `act` once a visible top-level widget of type T shows up (a modal dialog the code
// under test opened), then stops looking.
template <class T> void WhenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<T*>(w); form && form->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(form);
                return;
            }
    });
    timer->start();
}

// A data folder with the data modules and the data source "EntParaODBC" on its table files.
struct ScreenFixture : EntranceFixture {
    static void SetUpTestSuite() {
        static TempFolder iniFolder;
        static const bool installed = (InstallOdbcDriver(iniFolder.Path()), true);
        (void)installed;
    }
    ScreenFixture() {
        ConfigDataSource(ParadoxDriverName, {"DSN=EntParaODBC", "DefaultDir=" + Temp.Path()});
    }
    void RunAll(const QStringList& statements, bool folder) {
        auto c = folder ? SqlConnection::OpenFolder(Temp.Path())
                        : SqlConnection::OpenDatabase(Temp.File("VODURAVIRIVE.MDB"));
        for (const QString& sql : statements)
            c->Execute(sql);
    }
    // Replaces the field's text as typed or pasted: the field's checks apply.
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        edit->insert(text);
    }
    // Clicks a row of a list as the operator does.
    static void ClickRow(TCustomGrid* grid, int row) {
        const TRect cell = grid->CellRect(grid->FixedCols(), row);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          QPoint(cell.Left + 4, cell.Top + 4));
    }
    void AddUnit(int id, const QString& name, bool running = false, int tamper = 0) {
        RunAll(
            {QString("INSERT INTO entranceState (認証機ID, 認証機名, 作動状況, タンパー開) VALUES "
                     "(%1, '%2', %3, %4)")
                 .arg(id)
                 .arg(name)
                 .arg(running ? 1 : 0)
                 .arg(tamper)},
            true);
    }
};

} // namespace entrance
