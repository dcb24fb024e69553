// The five module functions, as method definitions for PyCFunction_NewEx.
#pragma once

#include <span>

#include "python/py_ref.h"

namespace quorv::python {

// In the order the module adds them: lint_json, lint_xyz, lint_source,
// lint_file, error_count. The definitions live as long as the process.
std::span<PyMethodDef> module_functions();

}  // namespace quorv::python
