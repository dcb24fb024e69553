#include "python_dataset/results.h"

#include <array>
#include <string>
#include <string_view>

namespace quorv::python_dataset {

using python::PyRef;

namespace {

PyRef new_text(std::string_view utf8) {
    // Never fails on its bytes: a symbol quoted in a message comes from the input.
    return PyRef(PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace"));
}

// Builds a tuple from new references; null when any of them is null.
template <std::size_t N>
PyRef tuple_of(std::array<PyRef, N> items) {
    for (const PyRef& item : items) {
        if (!item) return PyRef();
    }
    PyRef tuple(PyTuple_New(N));
    if (!tuple) return PyRef();
    for (std::size_t i = 0; i < N; ++i) PyTuple_SetItem(tuple.get(), static_cast<Py_ssize_t>(i), items[i].release());
    return tuple;
}

// A code's name and severity are the same few texts for every finding: made once per call.
class CodeTexts {
public:
    PyRef name(const Finding& finding) { return cached(names_, finding, finding.code_name()); }
    PyRef severity(const Finding& finding) {
        return cached(severities_, finding, severity_text(finding.severity()));
    }

private:
    PyRef cached(std::array<PyRef, kCatalog.size()>& cache, const Finding& finding, std::string_view text) {
        PyRef& slot = cache[static_cast<std::size_t>(finding.code())];
        if (!slot) slot = new_text(text);
        return PyRef::borrowed(slot.get());
    }
    std::array<PyRef, kCatalog.size()> names_;
    std::array<PyRef, kCatalog.size()> severities_;
};

PyRef optional_number(std::optional<std::uint64_t> value) {
    return value ? PyRef(PyLong_FromUnsignedLongLong(*value)) : PyRef::borrowed(Py_None);
}

PyRef first_atom(const Finding& finding) {
    const auto atoms = finding.location().atoms();
    return optional_number(atoms.empty() ? std::nullopt : std::optional(atoms.front()));
}

PyRef doubles_as_bytes(const std::vector<double>& values) {
    return PyRef(PyBytes_FromStringAndSize(reinterpret_cast<const char*>(values.data()),
                                           static_cast<Py_ssize_t>(values.size() * sizeof(double))));
}

}  // namespace

PyRef results_tuple(const dataset::FrameResults& results) {
    PyRef findings(PyList_New(0));
    if (!findings) return PyRef();
    CodeTexts texts;
    for (const dataset::FrameFinding& item : results.findings) {
        const Finding& finding = item.finding;
        PyRef row = tuple_of<6>({PyRef(PyLong_FromUnsignedLongLong(item.frame)), texts.name(finding),
                                 texts.severity(finding), new_text(finding.message()), first_atom(finding),
                                 optional_number(finding.location().line())});
        if (!row || PyList_Append(findings.get(), row.get()) < 0) return PyRef();
    }
    PyRef failures(PyList_New(0));
    if (!failures) return PyRef();
    for (const dataset::FrameFailure& failure : results.failures) {
        PyRef row = tuple_of<3>({PyRef(PyLong_FromUnsignedLongLong(failure.frame)), new_text(failure.message),
                                 optional_number(failure.line)});
        if (!row || PyList_Append(failures.get(), row.get()) < 0) return PyRef();
    }
    return tuple_of<4>({std::move(findings), std::move(failures), doubles_as_bytes(results.hydrogen_contacts),
                        doubles_as_bytes(results.heavy_contacts)});
}

PyRef plan_tuple(const dataset::XyzPlan& plan) {
    PyRef starts(PyList_New(0));
    if (!starts) return PyRef();
    for (const dataset::FrameStart& start : plan.starts) {
        PyRef row = tuple_of<2>({PyRef(PyLong_FromUnsignedLongLong(start.offset)),
                                 PyRef(PyLong_FromUnsignedLongLong(start.line))});
        if (!row || PyList_Append(starts.get(), row.get()) < 0) return PyRef();
    }
    return tuple_of<2>({PyRef(PyLong_FromUnsignedLongLong(plan.frames)), std::move(starts)});
}

}  // namespace quorv::python_dataset
