#include "VectorDataSet.h"
#include "base/Stream.h"
#include "db/DataSource.h"
#include "db/Params.h"

#include <gtest/gtest.h>

namespace {

// A control's view of a dataset: a window of records and the events it heard.
class WindowLink : public TDataLink {
public:
    explicit WindowLink(TDataSource* source, int bufferCount) {
        SetBufferCount(bufferCount);
        SetDataSource(source);
    }
    // The IDs in the window, in buffer order.
    QList<int> Ids() {
        QList<int> ids;
        const int active = ActiveRecord();
        for (int i = 0; i < RecordCount(); ++i) {
            SetActiveRecord(i);
            ids << DataSet()->FieldByName("ID")->AsInteger();
        }
        SetActiveRecord(active);
        return ids;
    }
    QStringList Events;

protected:
    void ActiveChanged() override { Events << (Active() ? "active" : "inactive"); }
    void DataSetChanged() override { Events << "changed"; }
    void DataSetScrolled(int distance) override { Events << QString("scrolled %1").arg(distance); }
    void EditingChanged() override { Events << (Editing() ? "editing" : "browsing"); }
};

int Id(TDataSet& ds) {
    return ds.FieldByName("ID")->AsInteger();
}

struct DataSetFixture : ::testing::Test {
    TVectorDataSet ds;
    TDataSource source;
    void SetUp() override {
        ds.SetName("ds");
        ds.Fill(10);
        source.SetDataSet(&ds);
    }
    void AddRow(int id, const QString& name) {
        ds.FieldByName("ID")->SetAsInteger(id);
        ds.FieldByName("NAME")->SetAsString(name);
    }
};

TEST_F(DataSetFixture, ScrollsAcrossTheBufferRingBothWaysWithBofAndEofAtTheEnds) {
    WindowLink link(&source, 4);
    ds.Open();
    EXPECT_EQ(link.Ids(), QList<int>({1, 2, 3, 4}));
    EXPECT_TRUE(ds.Bof());
    QList<int> forward;
    for (; !ds.Eof(); ds.Next())
        forward << Id(ds);
    EXPECT_EQ(forward, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(link.Ids(), QList<int>({7, 8, 9, 10}));
    EXPECT_EQ(link.ActiveRecord(), 3);

    QList<int> backward;
    for (; !ds.Bof(); ds.Prior())
        backward << Id(ds);
    EXPECT_EQ(backward, QList<int>({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(link.Ids(), QList<int>({1, 2, 3, 4}));
    EXPECT_FALSE(ds.Eof());

    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(Id(ds), 10);
    ds.First();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(Id(ds), 1);
}

TEST_F(DataSetFixture, ScrollingBeyondTheWindowTellsTheLinkHowFarItMoved) {
    WindowLink link(&source, 3);
    ds.Open();
    ds.MoveBy(2);
    link.Events.clear();
    ds.Next();
    EXPECT_EQ(link.Events, QStringList({"scrolled 1"}));
    EXPECT_EQ(link.Ids(), QList<int>({2, 3, 4}));
    EXPECT_EQ(link.ActiveRecord(), 2);
}

TEST_F(DataSetFixture, MoveByStopsAtTheEndsAndSaysHowFarItWent) {
    ds.Open();
    EXPECT_EQ(ds.MoveBy(25), 9);
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(Id(ds), 10);
    EXPECT_EQ(ds.MoveBy(3), 0);
    EXPECT_EQ(ds.MoveBy(-100), -9);
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(Id(ds), 1);
    EXPECT_EQ(ds.MoveBy(-1), 0);
    EXPECT_EQ(ds.MoveBy(4), 4);
    EXPECT_EQ(ds.RecNo(), 5);
}

TEST_F(DataSetFixture, EmptyDataSetIsAtBothEnds) {
    ds.Table.clear();
    ds.Open();
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.FieldByName("NAME")->IsNull());
    EXPECT_EQ(ds.MoveBy(1), 0);
    EXPECT_THROW(ds.Delete(), EDatabaseError);
    // Edit on an empty dataset starts an insert.
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
}

TEST_F(DataSetFixture, BookmarksSurviveInsertsAndDeletesAroundThem) {
    WindowLink link(&source, 4);
    ds.Open();
    ds.MoveBy(4);
    const TBookmark five = ds.GetBookmark();
    ds.First();
    ds.MoveBy(2);
    ds.Insert();
    AddRow(100, "new");
    ds.Post();
    EXPECT_EQ(Id(ds), 100);
    const TBookmark inserted = ds.GetBookmark();
    ds.First();
    ds.Next();
    ds.Delete();
    EXPECT_EQ(Id(ds), 100);

    ds.GotoBookmark(five);
    EXPECT_EQ(Id(ds), 5);
    EXPECT_EQ(ds.CompareBookmarks(inserted, five), -1);
    EXPECT_EQ(ds.CompareBookmarks(five, ds.GetBookmark()), 0);
    EXPECT_TRUE(ds.BookmarkValid(five));

    ds.GotoBookmark(inserted);
    const TBookmark gone = ds.GetBookmark();
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(gone));
    EXPECT_THROW(ds.GotoBookmark(gone), EDatabaseError);

    QList<int> ids;
    for (ds.First(); !ds.Eof(); ds.Next())
        ids << Id(ds);
    EXPECT_EQ(ids, QList<int>({1, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(ds.Writes, QStringList({"insert 100", "delete 2", "delete 100"}));
}

TEST_F(DataSetFixture, DeletingEveryRecordFromTheEndLeavesAnEmptyDataSet) {
    ds.Fill(3);
    WindowLink link(&source, 2);
    ds.Open();
    ds.Last();
    QList<int> after;
    while (!ds.IsEmpty()) {
        ds.Delete();
        after << (ds.IsEmpty() ? 0 : Id(ds));
    }
    EXPECT_EQ(after, QList<int>({2, 1, 0}));
    EXPECT_TRUE(ds.Bof());
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(link.RecordCount(), 0);
    EXPECT_TRUE(ds.Table.isEmpty());
}

TEST_F(DataSetFixture, CancelRestoresTheValuesAndPostWritesThemThrough) {
    ds.Open();
    ds.Next();
    ds.Edit();
    EXPECT_EQ(ds.State(), dsEdit);
    ds.FieldByName("NAME")->SetAsString("changed");
    ds.FieldByName("PRICE")->SetAsFloat(9.25);
    EXPECT_TRUE(ds.Modified());
    ds.Cancel();
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "Row2");
    EXPECT_EQ(ds.FieldByName("PRICE")->AsFloat(), 3.0);
    EXPECT_TRUE(ds.Writes.isEmpty());

    ds.Edit();
    ds.FieldByName("NAME")->SetAsString("changed");
    ds.Post();
    EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "changed");
    EXPECT_EQ(ds.Table[1][1].toString(), "changed");
    EXPECT_EQ(ds.Writes, QStringList({"update 2"}));
}

TEST_F(DataSetFixture, AFailedPostKeepsTheEditSoItCanBeRetried) {
    ds.Open();
    ds.Edit();
    ds.FieldByName("NAME")->SetAsString("retry");
    ds.FailWith = "locked";
    try {
        ds.Post();
        FAIL() << "post went through";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "ds: locked");
    }
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "retry");
    ds.FailWith.clear();
    ds.Post();
    EXPECT_EQ(ds.Table[0][1].toString(), "retry");
}

TEST_F(DataSetFixture, PostErrorHandlerMayRetry) {
    ds.Open();
    ds.Edit();
    ds.FieldByName("NAME")->SetAsString("x");
    ds.FailWith = "busy";
    int calls = 0;
    ds.OnPostError = [&](TDataSet*, EDatabaseError&, TDataAction& action) {
        ++calls;
        ds.FailWith.clear();
        action = daRetry;
    };
    ds.Post();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(DataSetFixture, InsertGoesBeforeTheCurrentRecordAndAppendToTheEnd) {
    ds.Fill(3);
    WindowLink link(&source, 3);
    ds.Open();
    ds.Next();
    ds.Insert();
    EXPECT_EQ(link.ActiveRecord(), 1);
    AddRow(50, "inserted");
    ds.Post();
    EXPECT_EQ(link.Ids(), QList<int>({1, 50, 2}));
    ds.Append();
    EXPECT_EQ(link.ActiveRecord(), 2);
    AddRow(60, "appended");
    ds.Post();
    EXPECT_EQ(Id(ds), 60);
    EXPECT_EQ(link.Ids(), QList<int>({2, 3, 60}));
    QList<int> ids;
    for (ds.First(); !ds.Eof(); ds.Next())
        ids << Id(ds);
    EXPECT_EQ(ids, QList<int>({1, 50, 2, 3, 60}));
}

TEST_F(DataSetFixture, CancelledInsertLeavesNoRecord) {
    ds.Fill(3);
    WindowLink link(&source, 5);
    ds.Open();
    ds.Next();
    ds.Insert();
    EXPECT_EQ(link.Ids().size(), 4);
    ds.Cancel();
    EXPECT_EQ(link.Ids(), QList<int>({1, 2, 3}));
    EXPECT_EQ(Id(ds), 2);
}

TEST_F(DataSetFixture, RequiredFieldMustHaveAValue) {
    ds.Open();
    ds.Append();
    ds.FieldByName("NAME")->SetAsString("no id");
    try {
        ds.Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "ds: Field 'ID' must have a value");
    }
    EXPECT_EQ(ds.State(), dsInsert);
}

TEST_F(DataSetFixture, ReadOnlyDataSetRefusesEdits) {
    ds.ReadOnlyData = true;
    ds.Open();
    EXPECT_THROW(ds.Edit(), EDatabaseError);
    EXPECT_THROW(ds.Insert(), EDatabaseError);
    EXPECT_THROW(ds.FieldByName("NAME")->SetAsString("x"), EDatabaseError);
}

TEST_F(DataSetFixture, ScrollingPostsAPendingEditAndEventsComeInOrder) {
    QStringList events;
    auto log = [&](const char* name) { return [&events, name](TDataSet*) { events << name; }; };
    ds.BeforeEdit = log("BeforeEdit");
    ds.AfterEdit = log("AfterEdit");
    ds.BeforePost = log("BeforePost");
    ds.AfterPost = log("AfterPost");
    ds.BeforeScroll = log("BeforeScroll");
    ds.AfterScroll = log("AfterScroll");
    ds.AfterOpen = log("AfterOpen");
    ds.Open();
    ds.Edit();
    ds.FieldByName("PRICE")->SetAsInteger(7);
    ds.Next();
    EXPECT_EQ(events, QStringList({"AfterOpen", "AfterScroll", "BeforeEdit", "AfterEdit",
                                   "BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
    EXPECT_EQ(ds.Table[0][2].toDouble(), 7.0);
}

TEST_F(DataSetFixture, LocateFindsPartialAndCaseInsensitiveKeys) {
    ds.Table[6][1] = "東京 Office";
    ds.Table[7][1] = "東北";
    ds.Open();
    EXPECT_TRUE(ds.Locate("NAME", "東", loPartialKey));
    EXPECT_EQ(Id(ds), 7);
    EXPECT_TRUE(ds.Locate("name", "row3", loCaseInsensitive));
    EXPECT_EQ(Id(ds), 3);
    EXPECT_FALSE(ds.Locate("NAME", "row3", 0));
    EXPECT_EQ(Id(ds), 3);
    EXPECT_TRUE(ds.Locate("NAME", "東京 off", loPartialKey | loCaseInsensitive));
    EXPECT_EQ(Id(ds), 7);
    // A partial key longer than the text does not match.
    EXPECT_FALSE(ds.Locate("NAME", "東北地方", loPartialKey));
    EXPECT_TRUE(ds.Locate("ID;PRICE", QVariantList({"9", 13.5}), 0));
    EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "Row9");
    EXPECT_FALSE(ds.Locate("ID;PRICE", QVariantList({9, 1.0}), 0));
    EXPECT_EQ(Id(ds), 9);
    EXPECT_THROW(ds.Locate("NOPE", 1, 0), EDatabaseError);
}

TEST_F(DataSetFixture, LookupAnswersWithoutMovingTheCursor) {
    WindowLink link(&source, 3);
    ds.Open();
    ds.Next();
    link.Events.clear();
    EXPECT_EQ(ds.Lookup("ID", 8, "NAME").toString(), "Row8");
    EXPECT_EQ(ds.Lookup("ID", 8, "NAME;PRICE").toList(), QVariantList({"Row8", 12.0}));
    EXPECT_TRUE(ds.Lookup("ID", 99, "NAME").isNull());
    EXPECT_EQ(Id(ds), 2);
    EXPECT_TRUE(link.Events.isEmpty());
    ds.Next();
    EXPECT_EQ(Id(ds), 3);
}

TEST_F(DataSetFixture, FilterShowsOnlyAcceptedRecords) {
    ds.OnFilterRecord = [](TDataSet* d, bool& accept) {
        accept = d->FieldByName("ID")->AsInteger() % 2 == 0;
    };
    ds.Open();
    ds.MoveBy(2);
    ds.SetFiltered(true);
    EXPECT_EQ(Id(ds), 2);
    EXPECT_EQ(ds.RecordCount(), 5);
    QList<int> ids;
    for (; !ds.Eof(); ds.Next())
        ids << Id(ds);
    EXPECT_EQ(ids, QList<int>({2, 4, 6, 8, 10}));
    EXPECT_FALSE(ds.Locate("ID", 3, 0));
    // A record edited out of the filter leaves the view after the post.
    ds.First();
    ds.Edit();
    ds.FieldByName("ID")->SetAsInteger(3);
    ds.Post();
    EXPECT_EQ(Id(ds), 4);
    ds.SetFiltered(false);
    EXPECT_EQ(ds.RecordCount(), 10);
}

TEST_F(DataSetFixture, CalculatedFieldsFollowTheRecord) {
    for (auto [name, type] : {std::pair{"ID", ftInteger}, {"NAME", ftString}, {"PRICE", ftFloat}})
        ds.Fields().Add(std::make_unique<TField>(&ds, name, type, type == ftString ? 20 : 0));
    TField* twice =
        ds.Fields().Add(std::make_unique<TField>(&ds, "TWICE", ftFloat, 0, fkCalculated));
    ds.OnCalcFields = [](TDataSet* d) {
        d->FieldByName("TWICE")->SetAsFloat(d->FieldByName("PRICE")->AsFloat() * 2);
    };
    WindowLink link(&source, 3);
    ds.Open();
    EXPECT_EQ(twice->AsFloat(), 3.0);
    ds.Next();
    EXPECT_EQ(twice->AsFloat(), 6.0);
    ds.Edit();
    ds.FieldByName("PRICE")->SetAsFloat(10);
    EXPECT_EQ(twice->AsFloat(), 20.0);
    ds.Cancel();
    EXPECT_EQ(twice->AsFloat(), 6.0);
    EXPECT_FALSE(ds.FindField("IMAGE"));
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 4);
}

TEST_F(DataSetFixture, ClosingDropsDefaultFieldsAndOpenChecksState) {
    ds.Open();
    EXPECT_EQ(ds.FieldCount(), 4);
    EXPECT_THROW(ds.CheckInactive(), EDatabaseError);
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 0);
    EXPECT_THROW(ds.CheckActive(), EDatabaseError);
    EXPECT_THROW(ds.First(), EDatabaseError);
}

TEST_F(DataSetFixture, DisabledControlsHearOneChangeAtTheEnd) {
    WindowLink link(&source, 1);
    ds.Open();
    link.Events.clear();
    ds.DisableControls();
    ds.Next();
    ds.Next();
    ds.Edit();
    ds.Cancel();
    EXPECT_TRUE(link.Events.isEmpty());
    ds.EnableControls();
    EXPECT_EQ(link.Events, QStringList({"changed"}));
}

TEST_F(DataSetFixture, RefreshReadsChangedRowsAndStaysOnTheRecord) {
    ds.Open();
    ds.MoveBy(2);
    ds.Table[1][1] = "outside";
    ds.Table.prepend({0, "new first", 0.0, QVariant()});
    ds.Refresh();
    EXPECT_EQ(Id(ds), 3);
    ds.Prior();
    EXPECT_EQ(ds.FieldByName("NAME")->AsString(), "outside");
}

TEST_F(DataSetFixture, RecNoMovesToARecord) {
    ds.Open();
    ds.SetRecNo(7);
    EXPECT_EQ(Id(ds), 7);
    EXPECT_EQ(ds.RecNo(), 7);
}

TEST(DataSetLifetime, ADataSetMayGoBeforeItsSourceAndLinks) {
    TDataSource source;
    TFieldDataLink link;
    link.SetFieldName("NAME");
    link.SetDataSource(&source);
    {
        TVectorDataSet ds;
        ds.Fill(2);
        source.SetDataSet(&ds);
        ds.Open();
        EXPECT_EQ(link.Field()->AsString(), "Row1");
    }
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(source.State(), dsInactive);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Field(), nullptr);
}

// ---------------------------------------------------------------- blobs

TEST_F(DataSetFixture, BlobStreamRoundTripsNineHundredBytesWithNuls) {
    QByteArray image(900, '\0');
    for (int i = 0; i < image.size(); ++i)
        image[i] = char(i % 7 == 0 ? 0 : i % 256);
    ds.Open();
    ds.Edit();
    {
        auto stream = ds.CreateBlobStream(ds.FieldByName("IMAGE"), bmWrite);
        stream->WriteBuffer(image.constData(), 400);
        stream->WriteBuffer(image.constData() + 400, 500);
    }
    EXPECT_TRUE(ds.FieldByName("IMAGE")->Modified);
    ds.Post();
    EXPECT_FALSE(ds.FieldByName("IMAGE")->Modified);
    EXPECT_EQ(ds.Table[0][3].toByteArray(), image);

    ds.Close();
    ds.Open();
    TField* field = ds.FieldByName("IMAGE");
    EXPECT_EQ(field->BlobSize(), 900);
    auto stream = ds.CreateBlobStream(field, bmRead);
    EXPECT_EQ(stream->Size(), 900);
    EXPECT_EQ(stream->Seek(-100, soEnd), 800);
    QByteArray tail(200, 'x');
    EXPECT_EQ(stream->Read(tail.data(), 200), 100);
    EXPECT_EQ(tail.left(100), image.right(100));
    EXPECT_EQ(stream->Read(tail.data(), 1), 0);
    TMemoryStream copy;
    field->SaveToStream(copy);
    EXPECT_EQ(copy.Bytes(), image);
}

TEST_F(DataSetFixture, BlobWriteNeedsEditStateAndReplacesTheValue) {
    ds.Table[0][3] = QByteArray("old value");
    ds.Open();
    TField* field = ds.FieldByName("IMAGE");
    EXPECT_THROW(ds.CreateBlobStream(field, bmWrite), EDatabaseError);
    ds.Edit();
    { ds.CreateBlobStream(field, bmWrite)->WriteBuffer("new", 3); }
    EXPECT_EQ(field->AsBytes(), "new");
    {
        auto stream = ds.CreateBlobStream(field, bmReadWrite);
        stream->Seek(0, soEnd);
        stream->WriteBuffer("er", 2);
    }
    EXPECT_EQ(field->AsBytes(), "newer");
    TMemoryStream source(QByteArray("loaded", 6));
    field->LoadFromStream(source);
    EXPECT_EQ(field->AsBytes(), "loaded");
    ds.Cancel();
    EXPECT_EQ(field->AsBytes(), "old value");
}

} // namespace

// A dataset that runs no statements answers a provider with its key fields and refuses SQL.
TEST_F(DataSetFixture, TheProviderInterfaceOfAPlainDataSet) {
    ds.Open();
    EXPECT_EQ(ds.PSGetKeyFields(), "");
    ds.FieldByName("ID")->ProviderFlags |= pfInKey;
    ds.FieldByName("NAME")->ProviderFlags = pfInKey;
    EXPECT_EQ(ds.PSGetKeyFields(), "ID;NAME");

    const EUpdateError first = ds.PSGetUpdateException(EDatabaseError("lost"), nullptr);
    EXPECT_EQ(first.Message(), "lost");
    EXPECT_EQ(first.ErrorCode(), 0);
    EXPECT_EQ(first.PreviousError(), 0);
    const EUpdateError coded("first", "", 42, 0);
    EXPECT_EQ(ds.PSGetUpdateException(EDatabaseError("again"), &coded).PreviousError(), 42);

    TParams params;
    EXPECT_NO_THROW(ds.PSSetParams(params));
    params.CreateParam(ftString, "a", ptInput);
    for (const auto& call : std::initializer_list<std::function<void()>>{
             [&] { ds.PSExecute(); }, [&] { ds.PSExecuteStatement("DELETE FROM T", params); },
             [&] { ds.PSSetParams(params); }, [&] { ds.PSSetCommandText("SELECT 1"); }})
        EXPECT_THROW(call(), EDatabaseError);
}
