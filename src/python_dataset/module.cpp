// quorv_lint_datasets._native: the data-set package's way into the core.
// Frames come as arrays, or as runs of frames of an XYZ file that the core's
// frame reader divides and reads, and go through the core's rules as the
// quorv_lint module's texts and the command's frames do; what comes back is
// plain tuples, bytes and lists.
#include <cerrno>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "dataset/frame_arrays.h"
#include "dataset/xyz_plan.h"
#include "dataset/xyz_range.h"
#include "python_dataset/arguments.h"
#include "python_dataset/boundary.h"
#include "python_dataset/results.h"

namespace quorv::python_dataset {

namespace {

RuleSet rule_set(int preview) { return preview != 0 ? RuleSet::Preview : RuleSet::Strict; }

// An open or read that failed, as the OSError for its errno and path.
PyObject* raise_os_error(int error_number, PyObject* path) {
    errno = error_number;
    return PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path);
}

// lint_arrays(symbols, elements, positions, offsets, charges, charge_known,
//             multiplicities, multiplicity_known, cells, periodic, scale, preview)
PyObject* lint_arrays(PyObject*, PyObject* args) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject *symbols, *elements, *positions, *offsets, *charges, *charge_known, *multiplicities,
            *multiplicity_known, *cells, *periodic;
        double scale = 1.0;
        int preview = 0;
        if (!PyArg_ParseTuple(args, "OOOOOOOOOOdp:lint_arrays", &symbols, &elements, &positions, &offsets,
                              &charges, &charge_known, &multiplicities, &multiplicity_known, &cells, &periodic,
                              &scale, &preview)) {
            return nullptr;
        }
        std::vector<std::int64_t> elements_copy, offsets_copy, charges_copy, multiplicities_copy;
        std::vector<double> positions_copy, cells_copy;
        std::vector<std::uint8_t> charge_known_copy, multiplicity_known_copy, periodic_copy;
        const auto element_span = typed_bytes(elements, "elements", elements_copy);
        const auto position_span = typed_bytes(positions, "positions", positions_copy);
        const auto offset_span = typed_bytes(offsets, "offsets", offsets_copy);
        const auto charge_span = typed_bytes(charges, "charges", charges_copy);
        const auto charge_known_span = typed_bytes(charge_known, "charge_known", charge_known_copy);
        const auto multiplicity_span = typed_bytes(multiplicities, "multiplicities", multiplicities_copy);
        const auto multiplicity_known_span =
            typed_bytes(multiplicity_known, "multiplicity_known", multiplicity_known_copy);
        const auto cell_span = typed_bytes(cells, "cells", cells_copy);
        const auto periodic_span = typed_bytes(periodic, "periodic", periodic_copy);
        if (!element_span || !position_span || !offset_span || !charge_span || !charge_known_span ||
            !multiplicity_span || !multiplicity_known_span || !cell_span || !periodic_span) {
            return nullptr;
        }
        std::optional<dataset::ElementNames> names;
        if (symbols == Py_None) {
            names = dataset::ElementNames::atomic_numbers();
        } else {
            auto table = text_sequence(symbols, "symbols");
            if (!table) return nullptr;
            names = dataset::ElementNames::symbol_table(*table);
        }
        const dataset::FrameArrays arrays{*element_span,
                                          *position_span,
                                          *offset_span,
                                          {*charge_span, *charge_known_span},
                                          {*multiplicity_span, *multiplicity_known_span},
                                          *cell_span,
                                          *periodic_span,
                                          scale};
        if (auto problem = dataset::shape_problem(arrays)) {
            PyErr_SetString(PyExc_ValueError, problem->c_str());
            return nullptr;
        }
        // The bytes objects stay alive (the call holds them) and never change.
        std::optional<dataset::FrameResults> results;
        {
            ReleasedInterpreterLock unlocked;
            results = dataset::lint_frame_arrays(arrays, *names, rule_set(preview));
        }
        return results_tuple(*results).release();
    });
}

// xyz_frame_starts(path, every) -> (frames, [(offset, line), ...])
PyObject* xyz_frame_starts(PyObject*, PyObject* args) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject* path_object;
        unsigned long long every = 0;
        if (!PyArg_ParseTuple(args, "OK:xyz_frame_starts", &path_object, &every)) return nullptr;
        if (every == 0) {
            PyErr_SetString(PyExc_ValueError, "every must be at least 1");
            return nullptr;
        }
        const std::optional<std::string> path = file_path(path_object, "path");
        if (!path) return nullptr;
        std::variant<dataset::XyzPlan, int> planned;
        {
            ReleasedInterpreterLock unlocked;
            planned = dataset::plan_xyz_file(*path, every);
        }
        if (const int* error = std::get_if<int>(&planned)) return raise_os_error(*error, path_object);
        return plan_tuple(std::get<dataset::XyzPlan>(planned)).release();
    });
}

// lint_xyz_range(path, offset, first_line, frames, charge, multiplicity, scale, preview)
PyObject* lint_xyz_range(PyObject*, PyObject* args) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject *path_object, *charge, *multiplicity;
        dataset::FrameStart start;
        unsigned long long frames = 0;
        dataset::FrameDefaults defaults;
        int preview = 0;
        if (!PyArg_ParseTuple(args, "OKKKOOdp:lint_xyz_range", &path_object, &start.offset, &start.line, &frames,
                              &charge, &multiplicity, &defaults.scale, &preview)) {
            return nullptr;
        }
        if (start.line == 0) {
            PyErr_SetString(PyExc_ValueError, "lines count from 1");
            return nullptr;
        }
        const std::optional<std::string> path = file_path(path_object, "path");
        if (!path || !optional_int64(charge, "charge", defaults.charge) ||
            !optional_int64(multiplicity, "multiplicity", defaults.multiplicity)) {
            return nullptr;
        }
        std::variant<dataset::FrameResults, int> linted;
        {
            ReleasedInterpreterLock unlocked;
            linted = dataset::lint_xyz_range(*path, start, frames, defaults, rule_set(preview));
        }
        if (const int* error = std::get_if<int>(&linted)) return raise_os_error(*error, path_object);
        return results_tuple(std::get<dataset::FrameResults>(linted)).release();
    });
}

PyMethodDef kFunctions[] = {
    {"lint_arrays", lint_arrays, METH_VARARGS,
     "Lint frames given as arrays (bytes in native byte order); see quorv_lint_datasets.lint_arrays."},
    {"xyz_frame_starts", xyz_frame_starts, METH_VARARGS,
     "Divide an XYZ file into frames: how many, and where every n-th one starts (byte offset, line)."},
    {"lint_xyz_range", lint_xyz_range, METH_VARARGS,
     "Lint frames of an XYZ file from a frame's start, with default charge, multiplicity and a unit scale."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModuleDef = {
    PyModuleDef_HEAD_INIT, "_native", "The core's readers and rules over batches of frames.", 0, kFunctions,
    nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

}  // namespace quorv::python_dataset

PyMODINIT_FUNC PyInit__native(void) {
    using namespace quorv::python_dataset;
    return guarded([]() -> PyObject* {
        PyRef module(PyModule_Create2(&kModuleDef, PYTHON_ABI_VERSION));
        if (!module || !create_internal_error_class(module.get())) return nullptr;
        return module.release();
    });
}
