#pragma once

#include <QList>
#include <QString>

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag { csLoading = 1, csDesigning = 2, csDestroying = 4 };

// A named, owned, non-visual part: frees what it owns and tells others when it goes.
class TComponent {
public:
    explicit TComponent(TComponent* AOwner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const QString& Name() const { return FName; }
    void SetName(const QString& name) { FName = name; }
    TComponent* Owner() const { return FOwner; }

    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int index) const { return FComponents.at(index); }
    TComponent* FindComponent(const QString& name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component, last first.
    void DestroyComponents();

    // `component` is told (Notification with opRemove) when this one is destroyed.
    void FreeNotification(TComponent* component);

    int ComponentState() const { return FState; }
    bool IsLoading() const { return FState & csLoading; }
    bool IsDestroying() const { return FState & csDestroying; }
    // Marks the component (and what it owns) as being set up; Loaded ends it.
    void BeginLoading();
    virtual void Loaded();

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    void Destroying() { FState |= csDestroying; }

private:
    QString FName;
    TComponent* FOwner = nullptr;
    QList<TComponent*> FComponents;
    QList<TComponent*> FFreeNotifies;
    int FState = 0;
};
