#include "python/arguments.h"

namespace quorv::python {

namespace {

// Formats for PyErr_Format: keywords and type names are Python str objects
// that may hold any character, lone surrogates included, so the interpreter
// formats them (%U) rather than our UTF-8 helpers.
constexpr const char* kTooManyPositional = "%s() takes %d positional arguments but %zd were given";
constexpr const char* kUnexpectedKeyword = "%s() got an unexpected keyword argument '%U'";
constexpr const char* kUnexpectedKeywordNotStr = "%s() got an unexpected keyword argument '%S'";
constexpr const char* kMultipleValues = "%s() got multiple values for argument '%s'";
constexpr const char* kMissingArgument = "%s() missing %d required %s %s: '%s'";
constexpr const char* kCannotConvert = "'%U' object cannot be converted to '%s'";
constexpr const char* kWrappedArgumentError = "argument '%s': %U";
constexpr const char* kStrTarget = "PyString";

constexpr int kParameterCount = 1;

// The type's __qualname__ as `type` itself defines it. A metaclass may shadow
// the attribute with anything; type's own descriptor always gives the str.
PyRef qualified_name(PyTypeObject* type) {
    PyRef type_namespace(PyObject_GetAttrString(reinterpret_cast<PyObject*>(&PyType_Type), "__dict__"));
    if (!type_namespace) return PyRef();
    PyRef descriptor(PyMapping_GetItemString(type_namespace.get(), "__qualname__"));
    if (!descriptor) return PyRef();
    PyRef name(PyObject_CallMethod(descriptor.get(), "__get__", "O", reinterpret_cast<PyObject*>(type)));
    if (name && !PyUnicode_Check(name.get())) {
        PyErr_SetString(PyExc_SystemError, "type.__qualname__ did not give a str");
        return PyRef();
    }
    return name;
}

}  // namespace

PyObject* bind_single_argument(const char* function, const char* parameter, PyObject* args, PyObject* kwargs) {
    const Py_ssize_t positional = args != nullptr ? PyTuple_Size(args) : 0;
    if (positional < 0) return nullptr;
    if (positional > kParameterCount) {
        PyErr_Format(PyExc_TypeError, kTooManyPositional, function, kParameterCount, positional);
        return nullptr;
    }
    PyObject* value = nullptr;
    if (positional == 1) {
        value = PyTuple_GetItem(args, 0);
        if (value == nullptr) return nullptr;
    }
    if (kwargs != nullptr) {
        // Keywords are checked in the order the caller wrote them.
        Py_ssize_t position = 0;
        PyObject* key = nullptr;
        PyObject* keyword_value = nullptr;
        while (PyDict_Next(kwargs, &position, &key, &keyword_value)) {
            if (!PyUnicode_Check(key)) {
                PyErr_Format(PyExc_TypeError, kUnexpectedKeywordNotStr, function, key);
                return nullptr;
            }
            if (PyUnicode_CompareWithASCIIString(key, parameter) != 0) {
                PyErr_Format(PyExc_TypeError, kUnexpectedKeyword, function, key);
                return nullptr;
            }
            if (value != nullptr) {
                PyErr_Format(PyExc_TypeError, kMultipleValues, function, parameter);
                return nullptr;
            }
            value = keyword_value;
        }
    }
    if (value == nullptr) {
        PyErr_Format(PyExc_TypeError, kMissingArgument, function, kParameterCount, "positional", "argument",
                     parameter);
    }
    return value;
}

void raise_cannot_convert(PyObject* object, const char* target) {
    PyRef name = qualified_name(Py_TYPE(object));
    if (!name) return;
    PyErr_Format(PyExc_TypeError, kCannotConvert, name.get(), target);
}

void wrap_argument_error(const char* parameter) {
    if (PyErr_Occurred() == nullptr) return;
    PyObject* raw_type = nullptr;
    PyObject* raw_value = nullptr;
    PyObject* raw_traceback = nullptr;
    PyErr_Fetch(&raw_type, &raw_value, &raw_traceback);
    PyErr_NormalizeException(&raw_type, &raw_value, &raw_traceback);
    PyRef type(raw_type), value(raw_value), traceback(raw_traceback);
    if (!value || Py_TYPE(value.get()) != reinterpret_cast<PyTypeObject*>(PyExc_TypeError)) {
        PyErr_Restore(type.release(), value.release(), traceback.release());
        return;
    }
    PyRef text(PyObject_Str(value.get()));
    if (!text) return;
    PyRef message(PyUnicode_FromFormat(kWrappedArgumentError, parameter, text.get()));
    if (!message) return;
    PyRef replacement(PyObject_CallFunctionObjArgs(PyExc_TypeError, message.get(), nullptr));
    if (!replacement) return;
    // Setting a cause also suppresses the context, so only a real cause is
    // carried over; PyException_SetCause takes over the reference.
    if (PyObject* cause = PyException_GetCause(value.get())) PyException_SetCause(replacement.get(), cause);
    PyErr_SetObject(PyExc_TypeError, replacement.get());
}

std::optional<std::string> text_argument(const char* parameter, PyObject* object) {
    if (!PyType_IsSubtype(Py_TYPE(object), &PyUnicode_Type)) {
        raise_cannot_convert(object, kStrTarget);
        wrap_argument_error(parameter);
        return std::nullopt;
    }
    PyRef utf8(PyUnicode_AsUTF8String(object));  // strict: a lone surrogate raises UnicodeEncodeError
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
