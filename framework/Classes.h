// Components: ownership, the loading phase and free notifications.
#pragma once

#include <functional>
#include <string>
#include <vector>

enum class TOperation { opInsert, opRemove };

class TComponent;
using TNotifyEvent = std::function<void(TComponent* sender)>;

// A component belongs to its owner, which frees it. While an owner is being
// built it is loading; when the build ends every owned component is told,
// in creation order, that loading is over.
class TComponent {
  public:
    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent();

    TComponent* Owner() const { return FOwner; }
    const std::vector<TComponent*>& Components() const { return FComponents; }
    std::string Name;

    bool Loading() const { return FLoading; }
    // Ends the loading phase of this component and everything it owns.
    void EndLoading();

    // Asks to be told (Notification with opRemove) when `other` is freed.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

  protected:
    // Points `field` at `value` and asks to be told when it is freed; the
    // Notification of the class then clears the field.
    template <class T> void SetReference(T*& field, T* value) {
        if (field == value)
            return;
        if (field)
            RemoveFreeNotification(field);
        field = value;
        if (value)
            FreeNotification(value);
    }
    void BeginLoading() { FLoading = true; }
    // Frees every owned component now. An owner frees what its components own
    // before the components themselves, so their members outlive their parts;
    // a component without an owner calls this first thing in its destructor.
    void DestroyComponents();
    virtual void Loaded() {}
    virtual void Notification(TComponent* component, TOperation operation);

  private:
    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FNotified;
    bool FLoading = false;
};
