#include "Component.h"

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Those who asked to be told forget this component before it goes.
    while (!FFreeNotifies.isEmpty()) {
        TComponent* other = FFreeNotifies.takeLast();
        other->FFreeNotifies.removeAll(this);
        other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner)
        FOwner->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(const QString& name) const {
    for (TComponent* c : FComponents)
        if (c->Name().compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->FOwner)
        component->FOwner->RemoveComponent(component);
    FComponents.append(component);
    component->FOwner = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!FComponents.removeOne(component))
        return;
    component->FOwner = nullptr;
    Notification(component, opRemove);
}

void TComponent::DestroyComponents() {
    while (!FComponents.isEmpty()) {
        TComponent* c = FComponents.takeLast();
        c->FOwner = nullptr;
        Notification(c, opRemove);
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (component == this || FFreeNotifies.contains(component))
        return;
    FFreeNotifies.append(component);
    component->FFreeNotifies.append(this);
}

void TComponent::BeginLoading() {
    FState |= csLoading;
    for (TComponent* c : FComponents)
        c->BeginLoading();
}

void TComponent::Loaded() {
    FState &= ~csLoading;
    for (TComponent* c : FComponents)
        if (c->IsLoading())
            c->Loaded();
}

// Owned components hear about siblings coming and going, as the owner does.
void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    for (int i = int(FComponents.size()) - 1; i >= 0; --i)
        if (FComponents[i] != AComponent)
            FComponents[i]->Notification(AComponent, Operation);
}
