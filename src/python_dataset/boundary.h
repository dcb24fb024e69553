// Where the interpreter calls into the companion module: no C++ exception
// unwinds into it. Lack of memory becomes MemoryError, anything else the
// module's internal-failure exception, which derives from BaseException so
// that `except Exception` does not swallow a broken invariant.
#pragma once

#include <exception>
#include <new>

#include "python/py_ref.h"

namespace quorv::python_dataset {

using python::PyRef;

// Made once, by the module's initializer; false with an exception set on failure.
bool create_internal_error_class(PyObject* module);
void raise_internal_error(const char* what) noexcept;

template <typename Body>
PyObject* guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& error) {
        raise_internal_error(error.what());
    } catch (...) {
        raise_internal_error("unknown C++ exception");
    }
    return nullptr;
}

// Lets other Python threads run while the core works on copied inputs.
class ReleasedInterpreterLock {
public:
    ReleasedInterpreterLock() : state_(PyEval_SaveThread()) {}
    ReleasedInterpreterLock(const ReleasedInterpreterLock&) = delete;
    ReleasedInterpreterLock& operator=(const ReleasedInterpreterLock&) = delete;
    ~ReleasedInterpreterLock() { PyEval_RestoreThread(state_); }

private:
    PyThreadState* state_;
};

}  // namespace quorv::python_dataset
