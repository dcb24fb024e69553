// The core's per-frame results as Python objects: findings as tuples
// (frame, code, severity, message, atom or None), failures as (frame,
// message), and the per-frame contact distances as bytes of float64.
#pragma once

#include "dataset/frame_arrays.h"
#include "python/py_ref.h"

namespace quorv::python_dataset {

// (findings, failures, hydrogen_contacts, heavy_contacts), or null with an exception set.
python::PyRef results_tuple(const dataset::FrameResults& results);

}  // namespace quorv::python_dataset
