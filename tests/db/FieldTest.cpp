#include "VectorDataSet.h"
#include "base/DateTime.h"
#include "db/DataSource.h"
#include "db/Params.h"

#include <gtest/gtest.h>

namespace {

// One field of each kind on a row dataset, in insert state, to write and read values.
class TKindsDataSet : public TRowDataSet {
public:
    using TRowDataSet::TRowDataSet;
    ~TKindsDataSet() override {
        Destroying();
        Close();
    }

protected:
    void InternalInitFieldDefs() override {
        const TFieldType kinds[] = {ftString,   ftSmallint, ftInteger, ftWord,    ftBoolean,
                                    ftFloat,    ftCurrency, ftDate,    ftTime,    ftDateTime,
                                    ftLargeint, ftBlob,     ftMemo,    ftAutoInc, ftGuid};
        for (TFieldType kind : kinds)
            FieldDefs().Add(FieldTypeName(kind), kind, kind == ftString ? 10 : 0);
    }
    void LoadRows(QList<TRow>&) override { InternalInitFieldDefs(); }
};

struct Fields : ::testing::Test {
    TKindsDataSet ds;
    void SetUp() override {
        FormatSettings() = TFormatSettings();
        ds.Open();
        ds.Append();
    }
    TField* F(TFieldType kind) { return ds.FieldByName(FieldTypeName(kind)); }
};

TEST_F(Fields, TextSetsAndReadsEveryKind) {
    struct Case {
        TFieldType kind;
        QString in, out;
    } cases[] = {
        {ftString, "abc", "abc"},
        {ftSmallint, " -12", "-12"},
        {ftInteger, "70000", "70000"},
        {ftWord, "65535", "65535"},
        {ftBoolean, "t", "True"},
        {ftBoolean, "FALSE", "False"},
        {ftFloat, "2.5", "2.5"},
        {ftCurrency, "1234.5678", "1234.5678"},
        {ftDate, "2002/04/01", "2002/04/01"},
        {ftTime, "13:05:09", "13:05:09"},
        {ftDateTime, "2026/12/10 13:05:00", "2026/12/10 13:05:00"},
        {ftLargeint, "9007199254740993", "9007199254740993"},
        {ftMemo, "長い文", "長い文"},
    };
    for (const Case& c : cases) {
        F(c.kind)->SetAsString(c.in);
        EXPECT_EQ(F(c.kind)->AsString(), c.out) << FieldTypeName(c.kind).toStdString();
    }
    EXPECT_EQ(F(ftDate)->AsDateTime(), EncodeDate(2002, 4, 1));
    EXPECT_EQ(F(ftInteger)->AsFloat(), 70000.0);
    EXPECT_EQ(F(ftFloat)->AsInteger(), 3);
}

TEST_F(Fields, BadTextAndValuesOutOfRangeAreRefused) {
    EXPECT_THROW(F(ftInteger)->SetAsString("12a"), EConvertError);
    EXPECT_THROW(F(ftFloat)->SetAsString("x"), EConvertError);
    EXPECT_THROW(F(ftBoolean)->SetAsString("yes"), EConvertError);
    EXPECT_THROW(F(ftDate)->SetAsString("2002/13/01"), EConvertError);
    EXPECT_THROW(F(ftSmallint)->SetAsInteger(40000), EDatabaseError);
    EXPECT_THROW(F(ftWord)->SetAsInteger(-1), EDatabaseError);
    TField* tiny = F(ftSmallint);
    tiny->MinValue = -128;
    tiny->MaxValue = 127;
    EXPECT_THROW(tiny->SetAsInteger(128), EDatabaseError);
    tiny->SetAsInteger(-128);
    EXPECT_EQ(tiny->AsInteger(), -128);
    F(ftBlob)->SetAsBytes("x");
    EXPECT_THROW(F(ftBlob)->AsInteger(), EDatabaseError);
}

TEST_F(Fields, NullReadsAsZeroEmptyAndFalse) {
    TField* number = F(ftInteger);
    number->SetAsInteger(5);
    EXPECT_FALSE(number->IsNull());
    number->Clear();
    EXPECT_TRUE(number->IsNull());
    EXPECT_TRUE(number->Value().isNull());
    EXPECT_EQ(number->AsInteger(), 0);
    EXPECT_EQ(number->AsString(), "");
    EXPECT_FALSE(F(ftBoolean)->AsBoolean());
    // An empty text clears a number and is stored as NULL in a text field.
    number->SetAsInteger(5);
    number->SetAsString("");
    EXPECT_TRUE(number->IsNull());
    F(ftString)->SetAsString("");
    EXPECT_TRUE(F(ftString)->IsNull());
}

TEST_F(Fields, ValueKeepsTheKindsOwnType) {
    F(ftDate)->SetValue(QDate(2002, 4, 1));
    EXPECT_EQ(F(ftDate)->Value(), QVariant(EncodeDate(2002, 4, 1)));
    F(ftDateTime)->SetAsDateTime(EncodeDate(2002, 4, 1) + 0.5);
    F(ftDate)->SetAsDateTime(EncodeDate(2002, 4, 1) + 0.5);
    EXPECT_EQ(F(ftDate)->AsDateTime(), EncodeDate(2002, 4, 1));
    F(ftInteger)->SetValue(2.6);
    EXPECT_EQ(F(ftInteger)->Value(), QVariant(3));
    F(ftBoolean)->SetValue(1);
    EXPECT_EQ(F(ftBoolean)->Value(), QVariant(true));
    F(ftString)->SetValue(12);
    EXPECT_EQ(F(ftString)->Value(), QVariant("12"));
}

TEST_F(Fields, ChangeAndValidateEventsSeeTheNewValue) {
    TField* f = F(ftInteger);
    QStringList log;
    f->OnValidate = [&](TField* s) {
        log << "validate " + s->AsString();
        if (s->AsInteger() < 0)
            throw EDatabaseError("negative");
    };
    f->OnChange = [&](TField* s) { log << "change " + s->AsString(); };
    f->SetAsInteger(4);
    EXPECT_THROW(f->SetAsInteger(-1), EDatabaseError);
    EXPECT_EQ(f->AsInteger(), 4);
    EXPECT_EQ(log, QStringList({"validate 4", "change 4", "validate -1"}));
}

TEST_F(Fields, FieldsOutsideEditStateAndReadOnlyFieldsRefuseValues) {
    F(ftInteger)->SetAsInteger(1);
    ds.Post();
    EXPECT_THROW(F(ftInteger)->SetAsInteger(2), EDatabaseError);
    ds.Edit();
    F(ftAutoInc)->ReadOnly = true;
    EXPECT_THROW(F(ftAutoInc)->SetAsInteger(2), EDatabaseError);
    EXPECT_THROW(ds.FieldByName("none"), EDatabaseError);
    EXPECT_EQ(ds.FindField("integer"), F(ftInteger));
}

TEST_F(Fields, SizesAndWidthsByKind) {
    EXPECT_EQ(F(ftString)->DataSize(), 11);
    EXPECT_EQ(F(ftString)->DisplayWidth(), 10);
    EXPECT_EQ(F(ftSmallint)->DataSize(), 2);
    EXPECT_EQ(F(ftDateTime)->DataSize(), 8);
    EXPECT_EQ(F(ftGuid)->Size(), 38);
    EXPECT_TRUE(F(ftMemo)->IsBlob());
    F(ftString)->SetDisplayWidth(4);
    EXPECT_EQ(F(ftString)->DisplayWidth(), 4);
}

// ---------------------------------------------------------------- parameters

TEST(Params, MarkersAreFoundOutsideQuotesLiteralsAndComments) {
    const QString sql = "SELECT * FROM T WHERE (CInt(Year(操作日時)) =:操作Year)\n"
                        "AND a = ':no' AND b = \":nor\" AND c > #4/1/2002 10:05:00#\n"
                        "AND d = :x::text AND e=:操作Year -- :comment\n"
                        "AND f IN (:y,:x) AND g = 12:30";
    EXPECT_EQ(TParams::ParseNames(sql), QStringList({"操作Year", "x", "y"}));
}

TEST(Params, ParseKeepsValuesOfNamesThatStay) {
    TParams params;
    params.ParseSQL("SELECT :a, :b");
    params.ParamByName("B").SetAsInteger(7);
    params.ParseSQL("SELECT :b, :c");
    ASSERT_EQ(params.Count(), 2);
    EXPECT_EQ(params[0].Name, "b");
    EXPECT_EQ(params[0].AsInteger(), 7);
    EXPECT_EQ(params[0].DataType, ftInteger);
    EXPECT_TRUE(params[1].IsNull());
    EXPECT_FALSE(params[1].Bound);
    try {
        params.ParamByName("a");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Parameter 'a' not found");
    }
}

TEST(Params, TypedSettersAndFieldValues) {
    TParams params;
    TParam& p = params.CreateParam(ftUnknown, "d", ptInput);
    p.SetAsDate(EncodeDate(2002, 4, 1) + 0.75);
    EXPECT_EQ(p.DataType, ftDate);
    EXPECT_EQ(p.AsDateTime(), EncodeDate(2002, 4, 1));
    p.SetValue("text");
    EXPECT_EQ(p.DataType, ftDate);
    p.Clear();
    EXPECT_TRUE(p.IsNull());
    EXPECT_TRUE(p.Bound);

    TVectorDataSet ds;
    ds.Fill(2);
    ds.Open();
    TParam& fromField = params.CreateParam(ftUnknown, "NAME", ptInput);
    fromField.AssignField(ds.FieldByName("NAME"));
    EXPECT_EQ(fromField.DataType, ftString);
    EXPECT_EQ(fromField.AsString(), "Row1");
}

// ---------------------------------------------------------------- field data links

TEST(FieldDataLink, ShowsItsFieldAndWritesTheControlsValueBack) {
    TVectorDataSet ds;
    ds.Fill(2);
    TDataSource source;
    source.SetDataSet(&ds);
    TFieldDataLink link;
    QString shown = "none";
    QString typed;
    int editingChanges = 0;
    link.OnDataChange = [&] { shown = link.Field() ? link.Field()->AsString() : "none"; };
    link.OnEditingChange = [&] { ++editingChanges; };
    link.OnUpdateData = [&] { link.Field()->SetAsString(typed); };
    link.SetFieldName("NAME");
    link.SetDataSource(&source);
    EXPECT_EQ(shown, "none");
    ds.Open();
    EXPECT_EQ(shown, "Row1");
    ds.Next();
    EXPECT_EQ(shown, "Row2");

    EXPECT_TRUE(link.Edit());
    EXPECT_TRUE(link.Editing());
    typed = "typed";
    link.Modified();
    ds.Post();
    EXPECT_EQ(ds.Table[1][1].toString(), "typed");
    EXPECT_FALSE(link.Editing());
    EXPECT_GE(editingChanges, 2);

    source.AutoEdit = false;
    EXPECT_FALSE(link.Edit());
    ds.Close();
    EXPECT_EQ(shown, "none");
    EXPECT_FALSE(link.Field());
}

} // namespace
