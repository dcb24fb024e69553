// The companion module's arguments: arrays arrive as bytes in native byte
// order (the Python layer makes them with numpy), texts as str or bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "python/py_ref.h"

namespace quorv::python_dataset {

// The elements of a bytes argument as T: in place when the bytes are aligned
// for T, else copied into `storage`. Empty for None. Null with TypeError or
// ValueError set when the argument is neither, or its length is not a
// multiple of sizeof(T).
template <typename T>
std::optional<std::span<const T>> typed_bytes(PyObject* argument, const char* name, std::vector<T>& storage) {
    if (argument == Py_None) return std::span<const T>();
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (!PyBytes_Check(argument)) {
        PyErr_Format(PyExc_TypeError, "%s must be bytes or None", name);
        return std::nullopt;
    }
    if (PyBytes_AsStringAndSize(argument, &data, &size) < 0) return std::nullopt;
    if (size % static_cast<Py_ssize_t>(sizeof(T)) != 0) {
        PyErr_Format(PyExc_ValueError, "%s: %zd bytes are not a whole number of %zu-byte items", name, size,
                     sizeof(T));
        return std::nullopt;
    }
    const std::size_t count = static_cast<std::size_t>(size) / sizeof(T);
    if (reinterpret_cast<std::uintptr_t>(data) % alignof(T) == 0) {
        return std::span<const T>(reinterpret_cast<const T*>(data), count);
    }
    storage.resize(count);
    std::memcpy(storage.data(), data, static_cast<std::size_t>(size));
    return std::span<const T>(storage);
}

// The bytes of a str (as UTF-8) or bytes argument.
std::optional<std::string> text_or_bytes(PyObject* argument, const char* name);

// The bytes of a path given as str (in the file system's encoding, as
// os.fsencode gives them) or bytes.
std::optional<std::string> file_path(PyObject* argument, const char* name);

// A list or tuple of str or bytes as owned texts.
std::optional<std::vector<std::string>> text_sequence(PyObject* argument, const char* name);

// None, or an integer that fits 64 bits signed.
bool optional_int64(PyObject* argument, const char* name, std::optional<std::int64_t>& value);

}  // namespace quorv::python_dataset
