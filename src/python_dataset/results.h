// The core's per-frame results as Python objects: findings as tuples
// (frame, code, severity, message, atom or None, line or None), failures as
// (frame, message, line or None), and the per-frame contact distances as
// bytes of float64.
#pragma once

#include "dataset/frame_results.h"
#include "dataset/xyz_plan.h"
#include "python/py_ref.h"

namespace quorv::python_dataset {

// (findings, failures, hydrogen_contacts, heavy_contacts), or null with an exception set.
python::PyRef results_tuple(const dataset::FrameResults& results);

// (frames, [(offset, line), ...]), or null with an exception set.
python::PyRef plan_tuple(const dataset::XyzPlan& plan);

}  // namespace quorv::python_dataset
