#include "pickle_state.h"

#include <stdexcept>

#include "bindings.h"

namespace py = pybind11;

namespace kestrix::python {

StateTuple::StateTuple(std::string where, const py::handle& state, std::size_t size) : where_(std::move(where)) {
  if (!py::isinstance<py::tuple>(state) || py::len(state) != size) {
    throw py::type_error(where_ + ": a tuple of " + std::to_string(size) + " items is needed, not " + ShownValue(state));
  }
  tuple_ = py::reinterpret_borrow<py::tuple>(state);
}

std::string StateTuple::Name(std::size_t k, const char* what) const {
  return where_ + "[" + std::to_string(k) + "] (" + what + ")";
}

std::string StateTuple::Text(std::size_t k, const char* what) const {
  return TextArgument(Name(k, what).c_str(), tuple_[k]);
}

double StateTuple::Number(std::size_t k, const char* what, const char* unit) const {
  const std::string name = Name(k, what);
  return CheckedNumber(name.c_str(), NumberArgument(name.c_str(), tuple_[k], unit));
}

std::vector<double> StateTuple::Numbers(std::size_t k, const char* what, std::size_t count, const char* unit) const {
  const std::string name = Name(k, what);
  const std::vector<py::handle> items = Items(k, what);
  if (items.size() != count) {
    throw std::invalid_argument(name + ": " + std::to_string(items.size()) + " numbers, not " + std::to_string(count));
  }
  std::vector<double> numbers;
  numbers.reserve(count);
  for (const py::handle item : items) numbers.push_back(CheckedNumber(name.c_str(), NumberArgument(name.c_str(), item, unit)));
  return numbers;
}

StateTuple StateTuple::Tuple(std::size_t k, const char* what, std::size_t size) const {
  return StateTuple(Name(k, what), tuple_[k], size);
}

std::vector<py::handle> StateTuple::Items(std::size_t k, const char* what) const {
  const py::handle item = tuple_[k];
  if (!py::isinstance<py::list>(item) && !py::isinstance<py::tuple>(item)) {
    throw py::type_error(Name(k, what) + ": a list is needed, not " + ShownValue(item));
  }
  std::vector<py::handle> items;
  for (const py::handle element : item) items.push_back(element);
  return items;
}

py::object StateTuple::DictOrNone(std::size_t k, const char* what) const {
  const py::handle item = tuple_[k];
  if (!item.is_none() && !py::isinstance<py::dict>(item)) {
    throw py::type_error(Name(k, what) + ": a dict or None is needed, not " + ShownValue(item));
  }
  return py::reinterpret_borrow<py::object>(item);
}

void StateTuple::CheckChoice(std::size_t k, const char* what, const std::string& text,
                             const std::vector<std::string>& choices) const {
  std::string names;
  for (const std::string& choice : choices) {
    if (text == choice) return;
    names += (names.empty() ? "" : " | ") + choice;
  }
  throw std::invalid_argument(Name(k, what) + ": " + ShownValue(py::str(text)) + " is not one of " + names);
}

}  // namespace kestrix::python
