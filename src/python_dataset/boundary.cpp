#include "python_dataset/boundary.h"

namespace quorv::python_dataset {

namespace {

// Lives for the life of the process, like the module.
PyObject* internal_error_class = nullptr;

}  // namespace

bool create_internal_error_class(PyObject* module) {
    if (internal_error_class == nullptr) {
        internal_error_class =
            PyErr_NewException("quorv_lint_datasets._native.InternalError", PyExc_BaseException, nullptr);
        if (internal_error_class == nullptr) return false;
    }
    Py_INCREF(internal_error_class);
    if (PyModule_AddObject(module, "InternalError", internal_error_class) < 0) {
        Py_DECREF(internal_error_class);
        return false;
    }
    return true;
}

void raise_internal_error(const char* what) noexcept {
    PyObject* error_class = internal_error_class != nullptr ? internal_error_class : PyExc_BaseException;
    PyErr_Format(error_class, "internal failure: %s", what);
}

}  // namespace quorv::python_dataset
