#include "python/functions.h"

#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "front/file_reading.h"
#include "front/lint_text.h"
#include "python/arguments.h"
#include "python/call_boundary.h"
#include "python/finding_object.h"

namespace quorv::python {

namespace {

constexpr const char* kStrFindings = "Can't extract `str` to `Vec`";
constexpr const char* kSequenceTarget = "Sequence";
constexpr const char* kFindingTarget = "Finding";

PyObject* raise_message(PyObject* exception_class, const std::string& message) {
    PyRef text(new_str(message));
    // A single argument keeps the class exactly as given (an OSError with
    // errno, strerror and filename all None).
    if (text) PyErr_SetObject(exception_class, text.get());
    return nullptr;
}

// Lints the text as the kind says; a reader's failure is the ValueError.
PyObject* lint_text_of_kind(front::InputKind kind, std::string_view text) {
    FindingObjects findings;
    if (auto failure = front::lint_text(kind, text, findings)) return raise_message(PyExc_ValueError, *failure);
    return findings.take_list().release();
}

// What every text-taking function shares: bind, take the text, lint it.
// The text is handed on where the argument holds it; a function that wants
// an owned string (a path, short) gets a copy.
template <typename LintText>
PyObject* text_function(const char* name, const char* parameter, PyObject* args, PyObject* kwargs,
                        LintText&& lint_text) noexcept {
    return guarded([&]() -> PyObject* {
        PyObject* argument = bind_single_argument(name, parameter, args, kwargs);
        if (argument == nullptr) return nullptr;
        std::optional<TextArgument> text = text_argument(parameter, argument);
        if (!text) return nullptr;
        if constexpr (std::is_invocable_v<LintText&, std::string_view>) {
            return lint_text(text->text());
        } else {
            return lint_text(std::string(text->text()));
        }
    });
}

PyObject* lint_json(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_json", "text", args, kwargs, [](std::string_view text) {
        return lint_text_of_kind(front::InputKind::ClusterSpecJson, text);
    });
}

PyObject* lint_xyz(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_xyz", "text", args, kwargs,
                         [](std::string_view text) { return lint_text_of_kind(front::InputKind::Xyz, text); });
}

PyObject* lint_source(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_source", "text", args, kwargs, [](std::string_view text) {
        return lint_text_of_kind(front::InputKind::PythonSource, text);
    });
}

// While a file is read, other Python threads run; a read that waits (a pipe,
// a device) gives the interpreter's signal handlers their turn, so that
// Ctrl-C raises KeyboardInterrupt there.
class InterpreterReleased final : public front::ReadPacer {
public:
    InterpreterReleased() : state_(PyEval_SaveThread()) {}
    InterpreterReleased(const InterpreterReleased&) = delete;
    InterpreterReleased& operator=(const InterpreterReleased&) = delete;
    ~InterpreterReleased() override { PyEval_RestoreThread(state_); }

    bool keep_going() override {
        PyEval_RestoreThread(state_);
        const bool go_on = PyErr_CheckSignals() == 0;
        state_ = PyEval_SaveThread();
        return go_on;
    }

private:
    PyThreadState* state_;
};

std::variant<std::string, front::FileReadError> read_without_the_lock(const std::string& path) {
    InterpreterReleased released;
    return front::read_utf8_file(path, &released);
}

PyObject* lint_file(PyObject*, PyObject* args, PyObject* kwargs) noexcept {
    return text_function("lint_file", "path", args, kwargs, [](const std::string& path) -> PyObject* {
        // The content is read and decoded before the name is looked at.
        auto content = read_without_the_lock(path);
        if (const auto* error = std::get_if<front::FileReadError>(&content)) {
            if (error->stopped) return nullptr;  // a signal handler raised
            return raise_message(PyExc_OSError, front::cannot_read_message(path, error->description));
        }
        return lint_text_of_kind(front::input_kind_for_path(path), std::get<std::string>(content));
    });
}

// Counts as it iterates; a result is returned only when every item is a
// Finding, so nothing is counted unless the whole argument converts.
PyObject* convert_and_count(PyObject* findings) {
    if (PyType_IsSubtype(Py_TYPE(findings), &PyUnicode_Type)) {
        PyErr_SetString(PyExc_TypeError, kStrFindings);
        return nullptr;
    }
    if (!PySequence_Check(findings)) {
        raise_cannot_convert(findings, kSequenceTarget);
        return nullptr;
    }
    // The length is asked for as the conversion always has (a __len__ may
    // have effects), but it is only a hint: a failure leaves nothing behind,
    // except that KeyboardInterrupt and its kind are never swallowed.
    if (PySequence_Size(findings) < 0) {
        if (!PyErr_ExceptionMatches(PyExc_Exception)) return nullptr;
        PyErr_Clear();
    }

    PyRef iterator(PyObject_GetIter(findings));
    if (!iterator) return nullptr;
    unsigned long long errors = 0;
    while (PyRef item{PyIter_Next(iterator.get())}) {
        if (!is_finding(item.get())) {
            if (PyErr_Occurred() == nullptr) raise_cannot_convert(item.get(), kFindingTarget);
            return nullptr;
        }
        if (finding_is_error(item.get())) ++errors;
    }
    if (PyErr_Occurred() != nullptr) return nullptr;  // raised by the iteration itself
    return PyLong_FromUnsignedLongLong(errors);
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
