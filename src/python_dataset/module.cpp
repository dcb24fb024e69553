// quorv_lint_datasets._native: the data-set package's way into the core.
// Frames come in batches, as arrays or as the texts of XYZ frames, and go
// through the core's readers and rules exactly as the quorv_lint module's
// texts do; what comes back is plain tuples, bytes and lists.
#include <optional>
#include <vector>

#include "dataset/frame_arrays.h"
#include "dataset/xyz_frame.h"
#include "python_dataset/arguments.h"
#include "python_dataset/boundary.h"
#include "python_dataset/results.h"

namespace quorv::python_dataset {

namespace {

// lint_arrays(symbols, elements, positions, offsets, charges, charge_known,
//             multiplicities, multiplicity_known, scale)
PyObject* lint_arrays(PyObject*, PyObject* args) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject *symbols, *elements, *positions, *offsets, *charges, *charge_known, *multiplicities,
            *multiplicity_known;
        double scale = 1.0;
        if (!PyArg_ParseTuple(args, "OOOOOOOOd:lint_arrays", &symbols, &elements, &positions, &offsets, &charges,
                              &charge_known, &multiplicities, &multiplicity_known, &scale)) {
            return nullptr;
        }
        std::vector<std::int64_t> elements_copy, offsets_copy, charges_copy, multiplicities_copy;
        std::vector<double> positions_copy;
        std::vector<std::uint8_t> charge_known_copy, multiplicity_known_copy;
        const auto element_span = typed_bytes(elements, "elements", elements_copy);
        const auto position_span = typed_bytes(positions, "positions", positions_copy);
        const auto offset_span = typed_bytes(offsets, "offsets", offsets_copy);
        const auto charge_span = typed_bytes(charges, "charges", charges_copy);
        const auto charge_known_span = typed_bytes(charge_known, "charge_known", charge_known_copy);
        const auto multiplicity_span = typed_bytes(multiplicities, "multiplicities", multiplicities_copy);
        const auto multiplicity_known_span =
            typed_bytes(multiplicity_known, "multiplicity_known", multiplicity_known_copy);
        if (!element_span || !position_span || !offset_span || !charge_span || !charge_known_span ||
            !multiplicity_span || !multiplicity_known_span) {
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
                                          scale};
        if (auto problem = dataset::shape_problem(arrays)) {
            PyErr_SetString(PyExc_ValueError, problem->c_str());
            return nullptr;
        }
        // The bytes objects stay alive (the call holds them) and never change.
        std::optional<dataset::FrameResults> results;
        {
            ReleasedInterpreterLock unlocked;
            results = dataset::lint_frame_arrays(arrays, *names);
        }
        return results_tuple(*results).release();
    });
}

// lint_xyz_frames(texts, charge, multiplicity, scale)
PyObject* lint_xyz_frames(PyObject*, PyObject* args) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject *texts, *charge, *multiplicity;
        double scale = 1.0;
        if (!PyArg_ParseTuple(args, "OOOd:lint_xyz_frames", &texts, &charge, &multiplicity, &scale)) return nullptr;
        dataset::FrameDefaults defaults;
        defaults.scale = scale;
        if (!optional_int64(charge, "charge", defaults.charge) ||
            !optional_int64(multiplicity, "multiplicity", defaults.multiplicity)) {
            return nullptr;
        }
        auto frames = text_sequence(texts, "texts");
        if (!frames) return nullptr;
        std::optional<dataset::FrameResults> results;
        {
            ReleasedInterpreterLock unlocked;
            results = dataset::lint_xyz_frames(*frames, defaults);
        }
        return results_tuple(*results).release();
    });
}

PyMethodDef kFunctions[] = {
    {"lint_arrays", lint_arrays, METH_VARARGS,
     "Lint frames given as arrays (bytes in native byte order); see quorv_lint_datasets.lint_arrays."},
    {"lint_xyz_frames", lint_xyz_frames, METH_VARARGS,
     "Lint a batch of XYZ frame texts with default charge, multiplicity and a unit scale."},
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
