// The Python class Finding: an immutable copy of one core finding.
#pragma once

#include <vector>

#include "lib/lint.h"
#include "python/py_ref.h"

namespace quorv::python {

// The class, created on first use and kept for the life of the process.
// A borrowed reference, or null with an exception set.
PyObject* finding_type();

// Makes a Finding object for each finding as the core hands it over, and
// at the end a list of them, created at its final length. A failure to make
// an object (no memory) stops the core with PythonExceptionSet.
class FindingObjects final : public FindingSink {
public:
    void accept(Finding&& finding) override;
    // A new list of every object made, in order; null with an exception set.
    PyRef take_list();

private:
    std::vector<PyRef> objects_;
};

// True when the object's type is Finding or a subtype of it. False with an
// exception set when the class cannot be made.
bool is_finding(PyObject* object);

// Whether an object for which is_finding() holds is an error.
bool finding_is_error(PyObject* object);

}  // namespace quorv::python
