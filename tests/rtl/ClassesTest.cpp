#include "rtl/Classes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what it is told and when it is destroyed.
class Recorder : public TComponent {
public:
    Recorder(TComponent* owner, std::string name, std::vector<std::string>* log)
        : TComponent(owner), log_(log) {
        SetName(std::move(name));
    }
    ~Recorder() override { log_->push_back("~" + Name()); }

    using TComponent::FreeNotification;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == TOperation::opRemove && component != this) {
            log_->push_back(Name() + " sees " + component->Name() + " go");
        }
    }

private:
    std::vector<std::string>* log_;
};

}  // namespace

TEST(Components, OwnerDestroysItsComponentsLastFirst) {
    std::vector<std::string> log;
    auto* owner = new Recorder(nullptr, "form", &log);
    new Recorder(owner, "a", &log);
    new Recorder(owner, "b", &log);
    EXPECT_EQ(owner->ComponentCount(), 2);
    delete owner;
    // The owner's own override is gone once its destructor body has run, so
    // only the surviving sibling hears of b.
    const std::vector<std::string> expected = {"~form", "~b", "a sees b go", "~a"};
    EXPECT_EQ(log, expected);
}

TEST(Components, FreeNotificationReachesAPartnerOfAnotherOwner) {
    std::vector<std::string> log;
    Recorder watcher(nullptr, "watcher", &log);
    auto* watched = new Recorder(nullptr, "dialog", &log);
    watcher.FreeNotification(watched);
    delete watched;
    EXPECT_EQ(log, (std::vector<std::string>{"~dialog", "watcher sees dialog go"}));
}

TEST(Components, DeletingAnOwnedComponentUnlinksIt) {
    std::vector<std::string> log;
    Recorder owner(nullptr, "form", &log);
    auto* child = new Recorder(&owner, "a", &log);
    delete child;
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"~a", "form sees a go"}));
}

TEST(Events, AHandlerThatClearsItsOwnEventRunsToItsEnd) {
    TNotifyEvent event;
    std::string seen;
    // Long enough to live on the heap, where a destroyed handler's copy goes.
    event = [&event, &seen, text = std::string(40, 'x')](TObject*) {
        event = nullptr;  // destroys the handler that the event held
        seen = text;
    };
    CallEvent(event, nullptr);
    EXPECT_EQ(seen, std::string(40, 'x'));
    EXPECT_FALSE(CallEvent(std::function<bool()>())) << "an unset event gives false";
}
