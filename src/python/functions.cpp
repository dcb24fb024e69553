#include "python/functions.h"

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "front/file_reading.h"
#include "text/format.h"
#include "lib/lint.h"
#include "python/arguments.h"
#include "python/call_boundary.h"
#include "python/finding_object.h"
#include "source/seed_checker.h"
#include "spec_json/spec_json_reader.h"
#include "xyz/xyz_reader.h"

namespace quorv::python {

namespace {

constexpr std::string_view kJsonErrorTemplate = "not a valid cluster spec: {}";
constexpr std::string_view kXyzErrorTemplate = "not a valid XYZ file: {}";
constexpr std::string_view kCannotReadTemplate = "cannot read {}: {}";
constexpr const char* kStrFindings = "Can't extract `str` to `Vec`";
constexpr const char* kSequenceTarget = "Sequence";
constexpr const char* kFindingTarget = "Finding";
constexpr std::string_view kErrorSeverity = "error";

// A length hint only sizes the working list; a lying __len__ must not make
// the call reserve more than this up front.
constexpr Py_ssize_t kMaxReservedItems = Py_ssize_t{1} << 16;

PyObject* raise_message(PyObject* exception_class, const std::string& message) {
    PyRef text(new_str(message));
    // A single argument keeps the class exactly as given (an OSError with
    // errno, strerror and filename all None).
    if (text) PyErr_SetObject(exception_class, text.get());
    return nullptr;
}

PyObject* lint_read_result(const ReadResult& result, std::string_view error_template) {
    if (const auto* error = std::get_if<ReadError>(&result)) {
        return raise_message(PyExc_ValueError, fill(error_template, {error->message}));
    }
    return findings_to_list(lint(std::get<ClusterSpec>(result))).release();
}

PyObject* lint_text_of_kind(InputKind kind, const std::string& text) {
    switch (kind) {
        case InputKind::PythonSource: return findings_to_list(lint_python_source(text)).release();
        case InputKind::Xyz: return lint_read_result(parse_xyz(text), kXyzErrorTemplate);
        case InputKind::ClusterSpecJson: return lint_read_result(parse_spec_json(text), kJsonErrorTemplate);
    }
    raise_internal_error("unknown input kind");
    return nullptr;
}

// What every text-taking function shares: bind, take the text, lint it.
template <typename LintText>
PyObject* text_function(const char* name, const char* parameter, PyObject* args, PyObject* kwargs,
                        LintText&& lint_text) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject* argument = bind_single_argument(name, parameter, args, kwargs);
        if (argument == nullptr) return nullptr;
        std::optional<std::string> text = text_argument(parameter, argument);
        if (!text) return nullptr;
        return lint_text(*text);
    });
}

PyObject* lint_json(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_json", "text", args, kwargs, [](const std::string& text) {
        return lint_text_of_kind(InputKind::ClusterSpecJson, text);
    });
}

PyObject* lint_xyz(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_xyz", "text", args, kwargs,
                         [](const std::string& text) { return lint_text_of_kind(InputKind::Xyz, text); });
}

PyObject* lint_source(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_source", "text", args, kwargs, [](const std::string& text) {
        return lint_text_of_kind(InputKind::PythonSource, text);
    });
}

PyObject* lint_file(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_file", "path", args, kwargs, [](const std::string& path) -> PyObject* {
        // The content is read and decoded before the name is looked at.
        auto content = read_utf8_file(path);
        if (const auto* error = std::get_if<FileReadError>(&content)) {
            return raise_message(PyExc_OSError, fill(kCannotReadTemplate, {path, error->description}));
        }
        return lint_text_of_kind(input_kind_for_path(path), std::get<std::string>(content));
    });
}

// The texts of every item are copied before anything is counted, so that
// nothing is counted unless the whole argument converts.
PyObject* convert_and_count(PyObject* findings) {
    if (PyType_IsSubtype(Py_TYPE(findings), &PyUnicode_Type)) {
        PyErr_SetString(PyExc_TypeError, kStrFindings);
        return nullptr;
    }
    if (!PySequence_Check(findings)) {
        raise_cannot_convert(findings, kSequenceTarget);
        return nullptr;
    }
    std::vector<FindingTexts> items;
    const Py_ssize_t size_hint = PySequence_Size(findings);
    if (size_hint >= 0) {
        items.reserve(static_cast<std::size_t>(std::min(size_hint, kMaxReservedItems)));
    } else if (PyErr_ExceptionMatches(PyExc_Exception)) {
        PyErr_Clear();  // only a hint: start empty
    } else {
        return nullptr;  // KeyboardInterrupt and its kind are never swallowed
    }

    PyRef iterator(PyObject_GetIter(findings));
    if (!iterator) return nullptr;
    while (PyRef item{PyIter_Next(iterator.get())}) {
        if (!is_finding(item.get())) {
            if (PyErr_Occurred() == nullptr) raise_cannot_convert(item.get(), kFindingTarget);
            return nullptr;
        }
        items.push_back(finding_texts(item.get()));
    }
    if (PyErr_Occurred() != nullptr) return nullptr;  // raised by the iteration itself

    const auto errors = std::count_if(items.begin(), items.end(),
                                      [](const FindingTexts& item) { return item.severity == kErrorSeverity; });
    return PyLong_FromUnsignedLongLong(static_cast<unsigned long long>(errors));
}

PyObject* error_count(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject* findings = bind_single_argument("error_count", "findings", args, kwargs);
        if (findings == nullptr) return nullptr;
        PyObject* count = convert_and_count(findings);
        if (count == nullptr) wrap_argument_error("findings");
        return count;
    });
}

template <PyObject* (*Function)(PyObject*, PyObject*, PyObject*) noexcept>
PyCFunction as_method() {
    // METH_KEYWORDS functions travel in PyMethodDef as plain PyCFunction.
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(Function));
}

constexpr int kFlags = METH_VARARGS | METH_KEYWORDS;

// Each doc is a signature line, "--", an empty line and the body: the
// interpreter takes __text_signature__ from the first and shows the body.
PyMethodDef kFunctions[] = {
    {"lint_json", as_method<lint_json>(), kFlags,
     "lint_json(text)\n--\n\n"
     "Lint a cluster spec given as a JSON string (the tool's own format, with\n"
     "charge / spin / ECP list). Raises ValueError if the JSON is not a valid spec."},
    {"lint_xyz", as_method<lint_xyz>(), kFlags,
     "lint_xyz(text)\n--\n\n"
     "Lint a geometry given as standard XYZ text. Charge/spin can be put on the\n"
     "comment line (`0 1` or `charge=.. mult=..`); without them the electron-count\n"
     "checks abstain. Raises ValueError if the text is not valid XYZ."},
    {"lint_source", as_method<lint_source>(), kFlags,
     "lint_source(text)\n--\n\n"
     "Lint Python source text for nondeterministic conformer embedding\n"
     "(`EmbedMolecule` / `EmbedMultipleConfs` with no fixed `randomSeed`)."},
    {"lint_file", as_method<lint_file>(), kFlags,
     "lint_file(path)\n--\n\n"
     "Lint a file, dispatching by extension: `.py` \u2192 source checks, `.xyz` \u2192\n"
     "geometry, anything else \u2192 JSON cluster spec. Raises OSError if the file\n"
     "cannot be read, ValueError if its contents do not parse."},
    {"error_count", as_method<error_count>(), kFlags,
     "error_count(findings)\n--\n\n"
     "Number of error-severity findings in a list (warnings are not counted)."},
};

}  // namespace

std::span<PyMethodDef> module_functions() { return kFunctions; }

}  // namespace quorv::python
