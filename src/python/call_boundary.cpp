#include "python/call_boundary.h"

#include <string>

namespace quorv::python {

namespace {

constexpr const char* kInternalErrorName = "quorv_lint.InternalError";
constexpr std::string_view kInternalErrorPrefix = "internal failure: ";

// Lives for the life of the process, like the module.
PyObject* internal_error_class = nullptr;

}  // namespace

bool create_internal_error_class() {
    if (internal_error_class == nullptr) {
        internal_error_class = PyErr_NewException(kInternalErrorName, PyExc_BaseException, nullptr);
    }
    return internal_error_class != nullptr;
}

void raise_internal_error(std::string_view what) noexcept {
    // Only reachable before the class exists if its creation itself failed;
    // BaseException keeps the promise that `except Exception` misses it.
    PyObject* error_class = internal_error_class != nullptr ? internal_error_class : PyExc_BaseException;
    try {
        std::string text(kInternalErrorPrefix);
        text.append(what);
        // The description may come from anywhere below; never fail on its bytes.
        PyRef message(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace"));
        if (message) PyErr_SetObject(error_class, message.get());
    } catch (...) {  // only std::bad_alloc can come from building the text
        PyErr_NoMemory();
    }
}

PyObject* new_str(std::string_view utf8) noexcept {
    PyObject* text = PyUnicode_FromStringAndSize(utf8.data(), static_cast<Py_ssize_t>(utf8.size()));
    if (text == nullptr && PyErr_ExceptionMatches(PyExc_UnicodeDecodeError)) {
        PyErr_Clear();
        raise_internal_error("a text built by the module is not valid UTF-8");
    }
    return text;
}

}  // namespace quorv::python
