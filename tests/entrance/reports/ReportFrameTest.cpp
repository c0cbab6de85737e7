#include "ReportRun.h"
#include "dbengine/Query.h"
#include "tests/entrance/EntranceFixture.h"
#include "ui/ShowMessage.h"

#include <QApplication>
#include <QMessageBox>

using namespace entrance;

namespace {

// A report over the departments that checks for data, owned by a calling dialog.
class TRep_Check final : public TRep_Form {
public:
    explicit TRep_Check(QWidget* owner) : TRep_Form(owner) {
        CreatePageBands("テスト");
        CreateColumns({{"部門", 200}}, 10, 20);
        sqlMain.SetDatabaseName("RORazu");
        sqlMain.SQL().Assign(QStringList{"SELECT * FROM M_部門"});
    }
    TQuery sqlMain;
    bool Closed = false;

protected:
    QString PreviewCaption() const override { return "テスト"; }
    TDataSet* MainDataSet() override { return &sqlMain; }
    bool OpenData() override {
        sqlMain.Open();
        return !sqlMain.IsEmpty();
    }
    void CloseData() override {
        Closed = true;
        sqlMain.Close();
    }
    QString NoDataText() const override { return "記録がありませんでした。"; }
    QString WaitText() const override { return "入退室記録を取得しています。"; }
};

} // namespace

// Without data the report says so, shows no preview, closes its queries and is freed.
struct ReportFrame : EntranceFixture {};

TEST_F(ReportFrame, NoDataMessage) {
    QWidget dialog;
    QStringList texts;
    TMessageAnswers answers(texts);
    QPointer<TRep_Check> report;
    bool shown = true, closed = false;
    OpenReport(report, &dialog, [&](TRep_Check& r) {
        shown = r.RunPreview();
        closed = r.Closed;
    });
    EXPECT_FALSE(shown);
    EXPECT_TRUE(closed);
    EXPECT_EQ(texts, QStringList{"記録がありませんでした。"});
    EXPECT_EQ(rptPreview, nullptr);
    EXPECT_TRUE(report.isNull());
    EXPECT_TRUE(dialog.isEnabled()) << "the wait window gave the dialog back";
}
