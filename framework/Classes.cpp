#include "framework/Classes.h"

#include <algorithm>

namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
} // namespace

TComponent::TComponent(TComponent* owner) : FOwner(owner) {
    if (owner) {
        owner->FComponents.push_back(this);
        FLoading = owner->FLoading;
        for (TComponent* sibling : owner->FComponents)
            if (sibling != this)
                sibling->Notification(this, TOperation::opInsert);
    }
}

TComponent::~TComponent() {
    for (TComponent* other : std::vector<TComponent*>(FNotified)) {
        other->Notification(this, TOperation::opRemove);
        Erase(other->FNotified, this);
    }
    DestroyComponents();
    if (FOwner) {
        Erase(FOwner->FComponents, this);
        for (TComponent* sibling : FOwner->FComponents)
            sibling->Notification(this, TOperation::opRemove);
    }
}

void TComponent::DestroyComponents() {
    // Newest first, so that a component never outlives what it was built on;
    // what a component owns goes before the component's own members do.
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        last->DestroyComponents();
        delete last;
    }
}

void TComponent::EndLoading() {
    std::vector<TComponent*> all{this};
    for (std::size_t i = 0; i < all.size(); ++i)
        all.insert(all.end(), all[i]->FComponents.begin(), all[i]->FComponents.end());
    for (TComponent* c : all)
        c->FLoading = false;
    for (TComponent* c : all)
        c->Loaded();
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this)
        return;
    if (std::find(other->FNotified.begin(), other->FNotified.end(), this) == other->FNotified.end())
        other->FNotified.push_back(this);
    if (std::find(FNotified.begin(), FNotified.end(), other) == FNotified.end())
        FNotified.push_back(other);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other)
        return;
    Erase(other->FNotified, this);
    Erase(FNotified, other);
}

void TComponent::Notification(TComponent*, TOperation) {}
