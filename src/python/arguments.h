// Argument intake shared by the module functions: one parameter, by position
// or keyword, and the wrapping of conversion errors.
#pragma once

#include <optional>
#include <string>

#include "python/py_ref.h"

namespace quorv::python {

// The single argument of `function(parameter)`, borrowed; null with a
// TypeError set when the call binds no argument or too many.
PyObject* bind_single_argument(const char* function, const char* parameter, PyObject* args,
                               PyObject* kwargs);

// The UTF-8 copy of a str argument; nullopt with the (wrapped) error set.
std::optional<std::string> text_argument(const char* parameter, PyObject* object);

// Rewrites a pending exception of class exactly TypeError into
// "argument '{parameter}': {text}"; other exceptions pass unchanged.
void wrap_argument_error(const char* parameter);

// Raises TypeError "'{qualname of the object's type}' object cannot be
// converted to '{target}'".
void raise_cannot_convert(PyObject* object, const char* target);

}  // namespace quorv::python
