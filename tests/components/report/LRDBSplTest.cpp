#include "components/report/LRDBSpl.h"
#include "db/RowDataSet.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Two persons in memory.
class TPersons : public TRowDataSet {
public:
    using TRowDataSet::TRowDataSet;
    ~TPersons() override {
        Destroying();
        Close();
    }

protected:
    void InternalInitFieldDefs() override {
        FieldDefs().Clear();
        FieldDefs().Add("個人コード", ftString, 10);
        FieldDefs().Add("氏名", ftString, 30);
    }
    void LoadRows(QList<TRow>& rows) override {
        InternalInitFieldDefs();
        rows = {{"0000001", "山田太郎"}, {"0000002", "鈴木花子"}};
    }
};

} // namespace

TEST(LRDBItem, TextFollowsTheField) {
    QWidget form;
    TLightRep page(&form);
    auto* band = new TLRLayoutPanel(&page);
    auto* item = new TLRDBItem(band);
    TPersons persons;
    auto source = std::make_unique<TDataSource>();
    source->SetDataSet(&persons);
    item->SetDataSource(source.get());
    item->SetDataField("氏名");
    EXPECT_EQ(item->Text, "氏名");
    persons.Open();
    EXPECT_EQ(item->Text, "山田太郎");
    persons.Next();
    EXPECT_EQ(item->Text, "鈴木花子");

    item->SetDataField("住所");
    persons.First();
    EXPECT_EQ(item->Text, "住所") << "a field the dataset lacks leaves the text";

    source.reset();
    EXPECT_EQ(item->DataSource(), nullptr) << "a freed data source is forgotten";
}
