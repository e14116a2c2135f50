// Objects, components and events of the run-time library. Portable.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    virtual const char* ClassName() const { return "TObject"; }
};

// An event counts as set when it holds a target.
using TNotifyEvent = std::function<void(TObject* Sender)>;
using TJvNotifyParamsEvent = std::function<void(TObject* Sender, void* Params)>;

// Calls `event` through a copy of it: a handler that replaces or clears its
// own event would otherwise destroy itself while it runs. An event that is
// not set does nothing and gives the result type's default.
template <typename Event, typename... Args>
auto CallEvent(const Event& event, Args&&... args) {
    const Event handler = event;
    using Result = decltype(handler(std::forward<Args>(args)...));
    if (!handler) {
        return Result();
    }
    return handler(std::forward<Args>(args)...);
}

enum class TOperation { opInsert, opRemove };

// A component belongs to its owner, which destroys it, and tells the other
// components of the same owner when it goes, so that nobody keeps a dangling
// reference (the thread job component's dialog, for example).
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const { return components_.at(index); }

    // True from the start of the destructor on; controls use it to skip work
    // that only makes sense for a living component.
    bool Destroying() const { return destroying_; }

    // Asks this component to be told (Notification) when `component` goes,
    // also when it belongs to another owner.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

protected:
    // Called for every component that joins or leaves the owner, and for
    // every free-notification partner that goes.
    virtual void Notification(TComponent* component, TOperation operation);

    // Destroys the owned components, last created first. The destructor does
    // this too; a derived class may do it earlier to fix the order.
    void DestroyComponents();

    // Marks the start of destruction; derived destructors call it first.
    void BeginDestroy() { destroying_ = true; }

private:
    void Insert(TComponent* component);
    void Remove(TComponent* component);

    TComponent* owner_;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool destroying_ = false;
};
