// Where the interpreter calls into the module. Every entry point runs its
// body through guarded(), so no C++ exception ever unwinds into the
// interpreter: lack of memory becomes MemoryError, anything else the
// internal-failure exception.
#pragma once

#include <exception>
#include <new>
#include <string_view>

#include "python/py_ref.h"

namespace quorv::python {

// Creates the internal-failure class, once per process. It derives directly
// from BaseException, so that `except Exception` does not swallow a broken
// invariant. False with an exception set when it cannot be made.
bool create_internal_error_class();

// Sets the internal-failure exception with the given description.
void raise_internal_error(std::string_view what) noexcept;

// Thrown from inside the core's callbacks (a finding sink) when a Python call
// failed there: the Python exception is set already, and the C++ stack only
// needs unwinding back to the boundary.
struct PythonExceptionSet {};

// Runs `body` (which returns a new reference, or null with an exception set)
// and turns any C++ exception that escapes it into a Python exception.
template <typename Body>
PyObject* guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const PythonExceptionSet&) {
        // Already set.
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::exception& error) {
        raise_internal_error(error.what());
    } catch (...) {
        raise_internal_error("unknown C++ exception");
    }
    return nullptr;
}

// A new str holding `utf8`. Every text the module hands out is UTF-8 by
// construction; one that is not is an internal failure, not a user error.
PyObject* new_str(std::string_view utf8) noexcept;

}  // namespace quorv::python
