#pragma once
// The state a pickle hands to __setstate__, read with checks: a state that was not made by this
// module's __getstate__ (a wrong shape, a wrong type, a spectrum of another length) is refused with
// TypeError or ValueError naming the item, never read past its end or cast blindly.

#include <pybind11/pybind11.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kestrix::python {

/// One tuple of a state and where it sits ("Spectrum state", "Spectrum state[4]").
class StateTuple {
 public:
  /// Throws TypeError unless state is a tuple of `size` items.
  StateTuple(std::string where, const pybind11::handle& state, std::size_t size);

  const std::string& Where() const { return where_; }
  /// the item itself, for a check of its own
  pybind11::handle Item(std::size_t k) const { return tuple_[k]; }
  /// "Spectrum state[2] (quantity)"
  std::string Name(std::size_t k, const char* what) const;

  /// Throws TypeError unless the item is a str.
  std::string Text(std::size_t k, const char* what) const;
  /// Throws TypeError unless the item is a number (not a bool), ValueError unless it is finite.
  double Number(std::size_t k, const char* what, const char* unit) const;
  /// Throws TypeError unless the item is a list or tuple of numbers, ValueError unless it holds
  /// exactly `count` finite numbers.
  std::vector<double> Numbers(std::size_t k, const char* what, std::size_t count, const char* unit) const;
  /// Throws TypeError unless the item is a tuple of `size` items.
  StateTuple Tuple(std::size_t k, const char* what, std::size_t size) const;
  /// Throws TypeError unless the item is a list or tuple; its items.
  std::vector<pybind11::handle> Items(std::size_t k, const char* what) const;
  /// Throws TypeError unless the item is None or a dict; it as stored.
  pybind11::object DictOrNone(std::size_t k, const char* what) const;

  /// Throws ValueError when text is not one of choices.
  void CheckChoice(std::size_t k, const char* what, const std::string& text, const std::vector<std::string>& choices) const;

 private:
  std::string where_;
  pybind11::tuple tuple_;
};

}  // namespace kestrix::python
