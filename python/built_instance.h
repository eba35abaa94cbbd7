#pragma once
// Objects that Python made with Cls.__new__(Cls) but that no constructor (nor __setstate__) built:
// their C++ value is allocated but never constructed, so reading it would read garbage. The caster
// below is used for the module's classes and refuses such an object with a TypeError before any
// method, property or comparison sees it.

#include <pybind11/pybind11.h>

#include <exception>
#include <string>
#include <typeinfo>

namespace kestrix::python {

/// True when the C++ value of src (an instance of the bound class `type`) was constructed.
inline bool IsBuiltInstance(pybind11::handle src, const std::type_info& type) {
  const pybind11::detail::type_info* info = pybind11::detail::get_type_info(type);
  if (info == nullptr || !PyObject_TypeCheck(src.ptr(), info->type)) return true;  // not an instance: the caster refuses it
  auto* instance = reinterpret_cast<pybind11::detail::instance*>(src.ptr());
  const pybind11::detail::value_and_holder holder = instance->get_value_and_holder(info, false);
  return holder.inst != nullptr && holder.holder_constructed();
}

/// The caster of a bound class T that refuses an instance never built.
template <typename T>
class BuiltInstanceCaster : public pybind11::detail::type_caster_base<T> {
 public:
  bool load(pybind11::handle src, bool convert) {
    if (!pybind11::detail::type_caster_base<T>::load(src, convert)) return false;
    if (src && !src.is_none() && !IsBuiltInstance(src, typeid(T))) {
      const std::string name = pybind11::str(pybind11::type::handle_of(src).attr("__name__"));
      throw pybind11::type_error("this kestrix." + name + " was made by " + name + ".__new__ and never built, so it " +
                                 "cannot be used: make one with the functions that return a " + name);
    }
    return true;
  }
};

/// type and its subclasses that make instances with `from` make them with `to`
inline void ReplaceNew(PyTypeObject* type, newfunc from, newfunc to) {
  if (type->tp_new == from) type->tp_new = to;
  const pybind11::list subclasses = pybind11::handle(reinterpret_cast<PyObject*>(type)).attr("__subclasses__")();
  for (const pybind11::handle subclass : subclasses) {
    ReplaceNew(reinterpret_cast<PyTypeObject*>(subclass.ptr()), from, to);
  }
}

/// pybind11's common base class of the bound classes cannot make an instance of itself: asked to
/// (pybind11_object.__new__(pybind11_object), reachable as Beam.__base__), it throws a C++ exception
/// through the interpreter, which aborts the process. After this its __new__ raises TypeError
/// instead; making instances of the bound classes goes on as before (through the same function).
inline void RefuseBaseInstances(PyTypeObject* base) {
  static newfunc made = nullptr;
  static const newfunc refusing = [](PyTypeObject* type, PyObject* args, PyObject* kwargs) -> PyObject* {
    try {
      return made(type, args, kwargs);
    } catch (const std::exception& error) {
      PyErr_SetString(PyExc_TypeError, error.what());
      return nullptr;
    }
  };
  if (base->tp_new == nullptr || base->tp_new == refusing) return;
  made = base->tp_new;
  // the classes made so far copied the base's __new__; Python checks that they still agree
  ReplaceNew(base, made, refusing);
}

}  // namespace kestrix::python
