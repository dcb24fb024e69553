#include "python/arguments.h"

namespace quorv::python {

PyObject* bind_single_argument(const char* function, const char* parameter, PyObject* args,
                               PyObject* kwargs) {
    const Py_ssize_t positional = args != nullptr ? PyTuple_Size(args) : 0;
    if (positional > 1) {
        PyErr_Format(PyExc_TypeError, "%s() takes %d positional arguments but %zd were given", function, 1,
                     positional);
        return nullptr;
    }
    PyObject* value = positional == 1 ? PyTuple_GetItem(args, 0) : nullptr;
    if (kwargs != nullptr) {
        Py_ssize_t pos = 0;
        PyObject* key = nullptr;
        PyObject* keyword_value = nullptr;
        while (PyDict_Next(kwargs, &pos, &key, &keyword_value)) {
            if (!PyUnicode_Check(key) || PyUnicode_CompareWithASCIIString(key, parameter) != 0) {
                PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%S'", function, key);
                return nullptr;
            }
            if (value != nullptr) {
                PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", function, parameter);
                return nullptr;
            }
            value = keyword_value;
        }
    }
    if (value == nullptr) {
        PyErr_Format(PyExc_TypeError, "%s() missing %d required %s %s: '%s'", function, 1, "positional",
                     "argument", parameter);
    }
    return value;
}

void raise_cannot_convert(PyObject* object, const char* target) {
    PyRef qualname(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(object)), "__qualname__"));
    if (!qualname) return;
    PyErr_Format(PyExc_TypeError, "'%U' object cannot be converted to '%s'", qualname.get(), target);
}

void wrap_argument_error(const char* parameter) {
    if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    PyErr_NormalizeException(&type, &value, &traceback);
    PyRef old_type(type), old_value(value), old_traceback(traceback);
    if (type != PyExc_TypeError || value == nullptr) {  // a subclass passes unchanged
        PyErr_Restore(old_type.release(), old_value.release(), old_traceback.release());
        return;
    }
    PyRef text(PyObject_Str(value));
    if (!text) return;
    PyRef message(PyUnicode_FromFormat("argument '%s': %U", parameter, text.get()));
    if (!message) return;
    PyRef replacement(PyObject_CallFunctionObjArgs(PyExc_TypeError, message.get(), nullptr));
    if (!replacement) return;
    PyException_SetCause(replacement.get(), PyException_GetCause(value));  // both steal/return new refs
    PyErr_SetObject(PyExc_TypeError, replacement.get());
}

std::optional<std::string> text_argument(const char* parameter, PyObject* object) {
    if (!PyType_IsSubtype(Py_TYPE(object), &PyUnicode_Type)) {
        raise_cannot_convert(object, "PyString");
        wrap_argument_error(parameter);
        return std::nullopt;
    }
    PyRef utf8(PyUnicode_AsUTF8String(object));
    if (!utf8) {
        wrap_argument_error(parameter);
        return std::nullopt;
    }
    char* data = PyBytes_AsString(utf8.get());
    const Py_ssize_t size = PyBytes_Size(utf8.get());
    if (data == nullptr || size < 0) return std::nullopt;
    return std::string(data, static_cast<std::size_t>(size));
}

}  // namespace quorv::python
