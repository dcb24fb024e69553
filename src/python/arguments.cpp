#include "python/arguments.h"

#include <dlfcn.h>

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

// PyUnicode_AsUTF8AndSize joined the stable ABI in CPython 3.10.
constexpr long kUtf8InPlaceMajor = 3;
constexpr long kUtf8InPlaceMinor = 10;
using Utf8AndSize = const char* (*)(PyObject*, Py_ssize_t*);

// Whether the running interpreter is at least major.minor, from
// sys.version_info; false when that cannot be read.
bool running_at_least(long major, long minor) {
    PyObject* version = PySys_GetObject("version_info");  // borrowed
    if (version == nullptr) return false;
    PyRef running_major(PySequence_GetItem(version, 0));
    PyRef running_minor(PySequence_GetItem(version, 1));
    if (!running_major || !running_minor) {
        PyErr_Clear();
        return false;
    }
    const long found_major = PyLong_AsLong(running_major.get());
    const long found_minor = PyLong_AsLong(running_minor.get());
    if (PyErr_Occurred() != nullptr) {
        PyErr_Clear();
        return false;
    }
    return found_major > major || (found_major == major && found_minor >= minor);
}

// The interpreter's PyUnicode_AsUTF8AndSize where the stable ABI has it, else
// null. The module is built for the stable ABI of 3.9, whose headers do not
// declare it, so it is looked up in the running interpreter.
Utf8AndSize utf8_in_place() {
    static const Utf8AndSize function = []() -> Utf8AndSize {
        if (!running_at_least(kUtf8InPlaceMajor, kUtf8InPlaceMinor)) return nullptr;
        return reinterpret_cast<Utf8AndSize>(dlsym(RTLD_DEFAULT, "PyUnicode_AsUTF8AndSize"));
    }();
    return function;
}

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

std::optional<TextArgument> text_argument(const char* parameter, PyObject* object) {
    if (!PyType_IsSubtype(Py_TYPE(object), &PyUnicode_Type)) {
        raise_cannot_convert(object, kStrTarget);
        wrap_argument_error(parameter);
        return std::nullopt;
    }
    // Both encode strictly: a lone surrogate raises UnicodeEncodeError.
    if (const Utf8AndSize in_place = utf8_in_place()) {
        Py_ssize_t size = 0;
        const char* data = in_place(object, &size);
        if (data == nullptr) {
            wrap_argument_error(parameter);
            return std::nullopt;
        }
        return TextArgument(PyRef(), std::string_view(data, static_cast<std::size_t>(size)));
    }
    PyRef utf8(PyUnicode_AsUTF8String(object));
    if (!utf8) {
        wrap_argument_error(parameter);
        return std::nullopt;
    }
    char* data = PyBytes_AsString(utf8.get());
    const Py_ssize_t size = PyBytes_Size(utf8.get());
    if (data == nullptr || size < 0) return std::nullopt;
    const std::string_view text(data, static_cast<std::size_t>(size));
    return TextArgument(std::move(utf8), text);
}

}  // namespace quorv::python
