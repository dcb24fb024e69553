// Argument intake shared by the module functions: one parameter, passed by
// position or keyword, and the wrapping of conversion errors.
#pragma once

#include <optional>
#include <string_view>

#include "python/py_ref.h"

namespace quorv::python {

// The single argument of `function(parameter)`, borrowed. Null with a
// TypeError set when the call binds too many arguments, a wrong or repeated
// keyword, or none at all (checked in that order).
PyObject* bind_single_argument(const char* function, const char* parameter, PyObject* args, PyObject* kwargs);

// The UTF-8 text of a str argument (a subclass of str included), valid while
// the argument and this holder live. From CPython 3.10 on it is the UTF-8 form
// the interpreter keeps with the str (for an ASCII str, the str's own bytes):
// nothing is copied. On 3.9 it is a bytes copy that the holder owns.
class TextArgument {
public:
    TextArgument(PyRef owner, std::string_view text) : owner_(std::move(owner)), text_(text) {}
    std::string_view text() const { return text_; }

private:
    PyRef owner_;  // the bytes copy, or nothing when the str itself holds the text
    std::string_view text_;
};

// Empty with the exception set: the wrapped not-a-str TypeError, or the
// interpreter's UnicodeEncodeError for a lone surrogate.
std::optional<TextArgument> text_argument(const char* parameter, PyObject* object);

// Replaces a pending exception of class exactly TypeError with a TypeError
// "argument '{parameter}': {its text}" that keeps its __cause__; any other
// pending exception (a subclass of TypeError included) stays as it is.
void wrap_argument_error(const char* parameter);

// Raises TypeError "'{qualified name of the object's type}' object cannot be
// converted to '{target}'".
void raise_cannot_convert(PyObject* object, const char* target);

}  // namespace quorv::python
