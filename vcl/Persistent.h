#pragma once

// TPersistent: objects that can be assigned to each other and streamed. Also the class
// registry: classes registered by name for the streaming system (and any caller that
// creates objects by class name). The registry is guarded by its own lock; register
// classes at start-up.

#include <functional>
#include <initializer_list>

#include "rtl/Exceptions.h"
#include "vcl/Object.h"

class TFiler;

class TPersistent : public TObject {
  BRANTWELL_CLASS(TPersistent, TObject)

 public:
  TPersistent() = default;

  // Copies source into this object. The base asks source to AssignTo this object; a pair
  // that neither side knows raises EConvertError "Cannot assign a <source> to a <this>".
  virtual void Assign(TPersistent* source);
  // The dotted path of this object as the designer and error messages name it.
  virtual AnsiString GetNamePath();

 protected:
  virtual void AssignTo(TPersistent* dest);
  // Lets a class store values that are not published properties (see TFiler).
  virtual void DefineProperties(TFiler* filer);
  // The object that owns this one in a name path (nil: none).
  virtual TPersistent* GetOwner();

  friend class TFiler;
  friend class TReader;
  friend class TWriter;
};

void RegisterClass(TClass cls);
void RegisterClasses(std::initializer_list<TClass> classes);
void UnRegisterClass(TClass cls);
// The registered class of that name (letter case ignored), nil when none.
TClass GetClass(std::string_view name);
// As GetClass; raises EClassNotFound "Class %s not found" when none.
TClass FindClass(std::string_view name);
// Calls visit for every registered class that inherits from ancestor.
void ForEachRegisteredClass(TClass ancestor, const std::function<void(TClass)>& visit);

// Creates an instance through the class's virtual constructor (an owner-taking constructor
// for components, the default constructor for others). Raises EInvalidOperation when the
// class has no such constructor.
TComponent* CreateComponent(TClass cls, TComponent* owner);
TObject* CreateInstance(TClass cls);
