#pragma once

// Variant: the value of a variant-typed published property. It is empty (unassigned), null,
// a Boolean, an integer, a floating point number, or a narrow or wide text.

#include <cstddef>
#include <variant>

#include "rtl/SysTypes.h"

struct TNullValue {
  bool operator==(const TNullValue&) const = default;
};

class Variant {
 public:
  using Value = std::variant<std::monostate, TNullValue, bool, Int64, double, AnsiString, WideString>;

  Variant() = default;
  Variant(TNullValue) : m_value(TNullValue{}) {}
  Variant(bool value) : m_value(value) {}
  Variant(int value) : m_value(static_cast<Int64>(value)) {}
  Variant(Int64 value) : m_value(value) {}
  Variant(double value) : m_value(value) {}
  Variant(const char* value) : m_value(AnsiString(value)) {}
  Variant(AnsiString value) : m_value(std::move(value)) {}
  Variant(WideString value) : m_value(std::move(value)) {}

  bool IsEmpty() const { return m_value.index() == 0; }
  bool IsNull() const { return std::holds_alternative<TNullValue>(m_value); }
  const Value& Data() const { return m_value; }
  template <class T> bool Holds() const { return std::holds_alternative<T>(m_value); }
  template <class T> const T& Get() const { return std::get<T>(m_value); }
  bool operator==(const Variant&) const = default;

 private:
  Value m_value;
};
