#include "python_dataset/arguments.h"

namespace quorv::python_dataset {

using python::PyRef;

namespace {

// The bytes of a str, encoded by `encode`, or of a bytes argument.
std::optional<std::string> bytes_of(PyObject* argument, const char* name, PyObject* (*encode)(PyObject*)) {
    PyRef encoded;
    PyObject* bytes = argument;
    if (PyUnicode_Check(argument)) {
        encoded = PyRef(encode(argument));
        if (!encoded) return std::nullopt;
        bytes = encoded.get();
    } else if (!PyBytes_Check(argument)) {
        PyErr_Format(PyExc_TypeError, "%s must hold str or bytes", name);
        return std::nullopt;
    }
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes, &data, &size) < 0) return std::nullopt;
    return std::string(data, static_cast<std::size_t>(size));
}

}  // namespace

std::optional<std::string> text_or_bytes(PyObject* argument, const char* name) {
    return bytes_of(argument, name, PyUnicode_AsUTF8String);
}

std::optional<std::string> file_path(PyObject* argument, const char* name) {
    std::optional<std::string> path = bytes_of(argument, name, PyUnicode_EncodeFSDefault);
    if (path && path->find('\0') != std::string::npos) {
        PyErr_Format(PyExc_ValueError, "%s: embedded null byte", name);
        return std::nullopt;
    }
    return path;
}

std::optional<std::vector<std::string>> text_sequence(PyObject* argument, const char* name) {
    if (!PyList_Check(argument) && !PyTuple_Check(argument)) {
        PyErr_Format(PyExc_TypeError, "%s must be a list or tuple", name);
        return std::nullopt;
    }
    const Py_ssize_t size = PySequence_Size(argument);
    if (size < 0) return std::nullopt;
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(size));
    for (Py_ssize_t i = 0; i < size; ++i) {
        PyRef item(PySequence_GetItem(argument, i));
        if (!item) return std::nullopt;
        std::optional<std::string> text = text_or_bytes(item.get(), name);
        if (!text) return std::nullopt;
        texts.push_back(std::move(*text));
    }
    return texts;
}

bool optional_int64(PyObject* argument, const char* name, std::optional<std::int64_t>& value) {
    if (argument == Py_None) {
        value.reset();
        return true;
    }
    if (!PyLong_Check(argument)) {
        PyErr_Format(PyExc_TypeError, "%s must be an int or None", name);
        return false;
    }
    const long long read = PyLong_AsLongLong(argument);
    if (read == -1 && PyErr_Occurred() != nullptr) return false;
    value = read;
    return true;
}

}  // namespace quorv::python_dataset
