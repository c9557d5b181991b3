#include "vcl/Component.h"

#include <gtest/gtest.h>

namespace {

class TWatcher : public TComponent {
  BRANTWELL_CLASS(TWatcher, TComponent)
 public:
  using TComponent::TComponent;
  ~TWatcher() override { Destroying(); }
  std::vector<std::pair<TComponent*, TOperation>> heard;
  TComponent* buddy = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    heard.push_back({component, operation});
    if (operation == opRemove && component == buddy) buddy = nullptr;
  }
};

class TPanelForm : public TComponent {
  BRANTWELL_CLASS(TPanelForm, TComponent)
 public:
  using TComponent::TComponent;
  TComponent* Button1 = nullptr;
  static void DescribeClass(TClassBuilder<TPanelForm>& c) { c.Field("Button1", &TPanelForm::Button1); }
};

TEST(Component, OwnerFreesWhatItOwnsAndListsLeaveCleanly) {
  int before = 0;
  auto* owner = new TComponent(nullptr);
  auto* a = new TComponent(owner);
  auto* b = new TComponent(a);
  a->SetName("A");
  b->SetName("B");
  EXPECT_EQ(owner->ComponentCount(), 1);
  EXPECT_EQ(owner->FindComponent("a"), a);
  EXPECT_EQ(a->Components(0), b);
  delete b;  // leaves its owner's list
  EXPECT_EQ(a->ComponentCount(), before);
  new TComponent(a);
  delete owner;  // frees a and a's child (run under the address sanitizer to see it)
}

TEST(Component, NamesAreValidatedAndUnique) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Button1");
  struct Case { const char* name; const char* message; };
  const Case cases[] = {
      {"1abc", "'1abc' is not a valid component name"},
      {"a b", "'a b' is not a valid component name"},
      {"BUTTON1", "A component named BUTTON1 already exists"},
  };
  for (const auto& c : cases) {
    try {
      b->SetName(c.name);
      ADD_FAILURE() << c.name;
    } catch (const EComponentError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_EQ(b->Name(), "");
  }
  a->SetName("button1");  // its own name in another case is fine
  b->SetName("_ok2");
  EXPECT_EQ(owner.FindComponent("_OK2"), b);
  // Two unnamed components may share an owner; inserting a clashing name fails.
  TComponent stray(nullptr);
  stray.SetName("_ok2");
  EXPECT_THROW(owner.InsertComponent(&stray), EComponentError);
  EXPECT_EQ(stray.Owner(), nullptr);
}

TEST(Component, PublishedFieldFollowsTheComponent) {
  TPanelForm form(nullptr);
  auto* button = new TComponent(&form);
  button->SetName("Button1");
  EXPECT_EQ(form.Button1, button);
  button->SetName("Other");
  EXPECT_EQ(form.Button1, nullptr);
  button->SetName("Button1");
  delete button;
  EXPECT_EQ(form.Button1, nullptr);
}

TEST(Component, FreeNotificationsReachBothWays) {
  auto* watcher = new TWatcher(nullptr);
  auto* other = new TComponent(nullptr);
  watcher->buddy = other;
  watcher->FreeNotification(other);
  delete other;
  EXPECT_EQ(watcher->buddy, nullptr);
  // Removed notifications are not sent.
  auto* third = new TComponent(nullptr);
  watcher->buddy = third;
  watcher->FreeNotification(third);
  watcher->RemoveFreeNotification(third);
  delete third;
  EXPECT_EQ(watcher->buddy, third);
  // The watcher going first tells the other side, which forgets it.
  auto* partner = new TWatcher(nullptr);
  partner->FreeNotification(watcher);
  partner->buddy = watcher;
  delete watcher;
  EXPECT_EQ(partner->buddy, nullptr);
  delete partner;
}

TEST(Component, OwnedComponentsHearOfTheirOwnersChanges) {
  TComponent owner(nullptr);
  auto* watcher = new TWatcher(&owner);
  auto* added = new TComponent(&owner);
  delete added;
  ASSERT_EQ(watcher->heard.size(), 2u);
  EXPECT_EQ(watcher->heard[0], std::make_pair(added, opInsert));
  EXPECT_EQ(watcher->heard[1], std::make_pair(added, opRemove));
}

TEST(Component, StateAndVirtualConstruction) {
  TComponent owner(nullptr);
  TComponent* made = CreateComponent(TWatcher::StaticClass(), &owner);
  EXPECT_EQ(made->ClassName(), "TWatcher");
  EXPECT_EQ(made->Owner(), &owner);
  made->SetComponentStateFlag(csLoading, true);
  made->Loaded();
  EXPECT_FALSE(made->ComponentState().Contains(csLoading));
  owner.SetDesigning(true);
  EXPECT_TRUE(made->ComponentState().Contains(csDesigning));
  EXPECT_THROW(CreateComponent(TPersistent::StaticClass(), &owner), EInvalidOperation);
}

TEST(Registry, RegisterAndFindByName) {
  RegisterClasses({TWatcher::StaticClass(), TPanelForm::StaticClass()});
  RegisterClass(TWatcher::StaticClass());  // twice is fine
  EXPECT_EQ(GetClass("twatcher"), TWatcher::StaticClass());
  EXPECT_EQ(GetClass("TNothing"), nullptr);
  try {
    FindClass("TNothing");
    ADD_FAILURE();
  } catch (const EClassNotFound& e) {
    EXPECT_STREQ(e.what(), "Class TNothing not found");
  }
  UnRegisterClass(TPanelForm::StaticClass());
  EXPECT_EQ(GetClass("TPanelForm"), nullptr);
}

TEST(Persistent, AssignWithoutAKnownPairFails) {
  TPersistent a, b;
  try {
    a.Assign(&b);
    ADD_FAILURE();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TPersistent to a TPersistent");
  }
  EXPECT_THROW(a.Assign(nullptr), EConvertError);
}

}  // namespace
