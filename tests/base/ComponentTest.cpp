#include "base/Component.h"
#include "base/SysUtils.h"

#include <gtest/gtest.h>

namespace {

// Records the notifications it hears and when it is freed.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, QStringList* log, const QString& name) : TComponent(owner), FLog(log) {
        SetName(name);
    }
    ~Probe() override { FLog->append("free " + Name()); }
    TComponent* Watched = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Watched) {
            FLog->append(Name() + " forgets " + c->Name());
            Watched = nullptr;
        }
    }

private:
    QStringList* FLog;
};

TEST(Component, OwnerFreesWhatItOwnsLastFirst) {
    QStringList log;
    auto* owner = new Probe(nullptr, &log, "form");
    auto* a = new Probe(owner, &log, "a");
    new Probe(owner, &log, "b");
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->FindComponent("A"), a);
    EXPECT_EQ(a->Owner(), owner);
    delete owner;
    EXPECT_EQ(log, QStringList({"free form", "free b", "free a"}));
}

TEST(Component, FreeNotificationTellsTheOtherSide) {
    QStringList log;
    Probe source(nullptr, &log, "source");
    auto* link = new Probe(nullptr, &log, "query");
    {
        Probe link2(nullptr, &log, "link");
        link2.Watched = link;
        link->FreeNotification(&link2);
        delete link;
        EXPECT_EQ(link2.Watched, nullptr);
    }
    EXPECT_TRUE(log.contains("link forgets query"));
}

TEST(Component, SiblingsHearOfRemoval) {
    QStringList log;
    Probe owner(nullptr, &log, "form");
    auto* ds = new Probe(&owner, &log, "dataset");
    auto* src = new Probe(&owner, &log, "source");
    src->Watched = ds;
    delete ds;
    EXPECT_EQ(src->Watched, nullptr);
}

TEST(Component, LoadingStateReachesOwnedComponents) {
    QStringList log;
    Probe owner(nullptr, &log, "form");
    Probe* child = new Probe(&owner, &log, "child");
    owner.BeginLoading();
    EXPECT_TRUE(child->IsLoading());
    owner.Loaded();
    EXPECT_FALSE(child->IsLoading());
    EXPECT_FALSE(owner.ComponentState() & csDesigning);
}

TEST(Component, DatabaseErrorNamesTheComponent) {
    QStringList log;
    Probe q(nullptr, &log, "sqlUser");
    try {
        DatabaseError("Dataset not in edit or insert mode", &q);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "sqlUser: Dataset not in edit or insert mode");
        EXPECT_STREQ(e.what(), "sqlUser: Dataset not in edit or insert mode");
    }
    EXPECT_THROW(DatabaseError("x"), Exception);
}

} // namespace
