// The Python class Finding: an immutable copy of one core finding.
#pragma once

#include <string>
#include <vector>

#include "lib/finding.h"
#include "python/py_ref.h"

namespace quorv::python {

// The three texts a Finding object carries, as owned UTF-8.
struct FindingTexts {
    std::string severity;
    std::string code;
    std::string message;
};

// The class, created on first use and kept for the life of the process.
// A borrowed reference, or null with an exception set.
PyObject* finding_type();

// A new list holding one new Finding object per core finding, in order,
// created at its final length.
PyRef findings_to_list(const std::vector<Finding>& findings);

// True when the object's type is Finding or a subtype of it. False with an
// exception set when the class cannot be made.
bool is_finding(PyObject* object);

// The texts of an object for which is_finding() holds.
const FindingTexts& finding_texts(PyObject* object);

}  // namespace quorv::python
