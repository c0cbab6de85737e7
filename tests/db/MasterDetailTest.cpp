#include "VectorDataSet.h"
#include "db/DataSource.h"

#include <gtest/gtest.h>

namespace {

// A detail whose rows are the order lines of its master's current ID; it reads them again
// whenever the master's record changes, as the queries with a master do.
class TDetailSet : public TVectorDataSet {
public:
    explicit TDetailSet(TDataSource* master) : FLink(this) { FLink.SetDataSource(master); }
    ~TDetailSet() override {
        Destroying();
        Close();
    }
    TDataSource* DataSource() const override { return FLink.DataSource(); }
    QList<TRow> AllLines;
    int Reads = 0;

protected:
    void LoadRows(QList<TRow>& rows) override {
        InternalInitFieldDefs();
        ++Reads;
        TDataSet* master = FLink.DataSet();
        const QVariant key =
            master && master->Active() ? master->FieldByName("ID")->Value() : QVariant();
        for (const TRow& line : AllLines)
            if (line[2] == key)
                rows.append(line);
    }

private:
    class TLink : public TDetailDataLink {
    public:
        explicit TLink(TDetailSet* detail) : FDetail(detail) {}
        TDataSet* GetDetailDataSet() override { return FDetail; }

    protected:
        void ActiveChanged() override { MasterChanged(); }
        void RecordChanged(TField* field) override {
            if (!field)
                MasterChanged();
        }
        void CheckBrowseMode() override {
            if (FDetail->Active())
                FDetail->CheckBrowseMode();
        }

    private:
        void MasterChanged() {
            if (FDetail->Active())
                FDetail->First(), FDetail->Refresh();
        }
        TDetailSet* FDetail;
    };
    TLink FLink;
};

struct MasterDetail : ::testing::Test {
    TVectorDataSet master;
    TDataSource source;
    TDetailSet detail{&source};
    void SetUp() override {
        master.Fill(3);
        source.SetDataSet(&master);
        // ID, NAME, master ID (in the PRICE column).
        detail.AllLines = {{10, "a", 1.0, {}}, {11, "b", 1.0, {}}, {20, "c", 2.0, {}},
                           {30, "d", 3.0, {}}, {31, "e", 3.0, {}}, {32, "f", 3.0, {}}};
        master.Open();
        detail.Open();
    }
    QList<int> DetailIds() {
        QList<int> ids;
        for (detail.First(); !detail.Eof(); detail.Next())
            ids << detail.FieldByName("ID")->AsInteger();
        return ids;
    }
};

TEST_F(MasterDetail, DetailReadsAgainOnEveryMasterScroll) {
    EXPECT_EQ(DetailIds(), QList<int>({10, 11}));
    const int reads = detail.Reads;
    master.Next();
    EXPECT_EQ(detail.Reads, reads + 1);
    EXPECT_EQ(DetailIds(), QList<int>({20}));
    master.Next();
    EXPECT_EQ(DetailIds(), QList<int>({30, 31, 32}));
    master.First();
    EXPECT_EQ(DetailIds(), QList<int>({10, 11}));
    EXPECT_EQ(detail.Reads, reads + 3);
}

TEST_F(MasterDetail, DisabledMasterControlsHoldTheDetailUntilEnabled) {
    const int reads = detail.Reads;
    master.DisableControls();
    master.Next();
    master.Next();
    EXPECT_EQ(detail.Reads, reads);
    master.EnableControls();
    EXPECT_EQ(detail.Reads, reads + 1);
    EXPECT_EQ(DetailIds(), QList<int>({30, 31, 32}));
}

TEST_F(MasterDetail, ClosingTheMasterEmptiesTheDetail) {
    master.Close();
    EXPECT_TRUE(detail.IsEmpty());
}

TEST_F(MasterDetail, CircularLinksAreRefused) {
    TDataSource detailSource;
    detailSource.SetDataSet(&detail);
    // The detail's masters lead to `source`; `detailSource` leads back to the master.
    EXPECT_TRUE(source.IsLinkedTo(&detail));
    EXPECT_FALSE(detailSource.IsLinkedTo(&master));
    EXPECT_TRUE(master.IsLinkedTo(&detailSource));
    EXPECT_FALSE(detail.IsLinkedTo(&source));
    // The master's source pointing at the detail would make the detail its own master.
    EXPECT_THROW(source.SetDataSet(&detail), EDatabaseError);
    EXPECT_EQ(source.DataSet(), &master);
}

} // namespace
