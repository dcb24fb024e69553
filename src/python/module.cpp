// The quorv_lint module: its initializer and its five functions. C++
// exceptions are turned into Python exceptions here and nowhere else.
#include <new>
#include <string>
#include <variant>

#include "lib/file_input.h"
#include "lib/lint.h"
#include "python/arguments.h"
#include "python/finding_object.h"
#include "source/seed_checker.h"
#include "spec_json/spec_json_reader.h"
#include "xyz/xyz_reader.h"

namespace quorv::python {

namespace {

constexpr const char* kModuleName = "quorv_lint";
constexpr const char* kVersion = "0.2.0";
constexpr const char* kJsonErrorPrefix = "not a valid cluster spec: ";
constexpr const char* kXyzErrorPrefix = "not a valid XYZ file: ";

// Raised for a broken invariant below a module function; derived directly
// from BaseException so that `except Exception` does not swallow it.
PyObject* internal_error_type = nullptr;

template <typename Body>
PyObject* guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return PyErr_NoMemory();
    } catch (const std::exception& error) {
        PyErr_SetString(internal_error_type ? internal_error_type : PyExc_SystemError, error.what());
    } catch (...) {
        PyErr_SetString(internal_error_type ? internal_error_type : PyExc_SystemError, "unexpected internal failure");
    }
    return nullptr;
}

PyObject* raise_with_prefix(PyObject* exception_type, const char* prefix, const std::string& text) {
    std::string message = prefix + text;
    PyRef value(PyUnicode_FromStringAndSize(message.data(), static_cast<Py_ssize_t>(message.size())));
    if (value) PyErr_SetObject(exception_type, value.get());
    return nullptr;
}

PyObject* lint_read_result(const ReadResult& result, const char* error_prefix) {
    if (const auto* error = std::get_if<ReadError>(&result)) {
        return raise_with_prefix(PyExc_ValueError, error_prefix, error->message);
    }
    return findings_to_list(lint(std::get<ClusterSpec>(result))).release();
}

PyObject* lint_text_of_kind(InputKind kind, const std::string& text) {
    switch (kind) {
        case InputKind::PythonSource: return findings_to_list(lint_python_source(text)).release();
        case InputKind::Xyz: return lint_read_result(parse_xyz(text), kXyzErrorPrefix);
        case InputKind::ClusterSpecJson: break;
    }
    return lint_read_result(parse_spec_json(text), kJsonErrorPrefix);
}

// The shape every text-taking function shares: bind, take the text, lint it.
template <typename LintText>
PyObject* text_function(const char* name, const char* parameter, PyObject* args, PyObject* kwargs,
                        LintText&& lint_text) {
    return guarded([&]() -> PyObject* {
        PyObject* argument = bind_single_argument(name, parameter, args, kwargs);
        if (argument == nullptr) return nullptr;
        std::optional<std::string> text = text_argument(parameter, argument);
        if (!text) return nullptr;
        return lint_text(*text);
    });
}

PyObject* lint_json(PyObject*, PyObject* args, PyObject* kwargs) {
    return text_function("lint_json", "text", args, kwargs, [](const std::string& text) {
        return lint_text_of_kind(InputKind::ClusterSpecJson, text);
    });
}

PyObject* lint_xyz(PyObject*, PyObject* args, PyObject* kwargs) {
    return text_function("lint_xyz", "text", args, kwargs,
                         [](const std::string& text) { return lint_text_of_kind(InputKind::Xyz, text); });
}

PyObject* lint_source(PyObject*, PyObject* args, PyObject* kwargs) {
    return text_function("lint_source", "text", args, kwargs, [](const std::string& text) {
        return lint_text_of_kind(InputKind::PythonSource, text);
    });
}

PyObject* lint_file(PyObject*, PyObject* args, PyObject* kwargs) {
    return text_function("lint_file", "path", args, kwargs, [](const std::string& path) -> PyObject* {
        auto content = read_utf8_file(path);
        if (const auto* error = std::get_if<FileReadError>(&content)) {
            // A single argument keeps the class exactly OSError, errno None.
            return raise_with_prefix(PyExc_OSError, "cannot read ", path + ": " + error->description);
        }
        return lint_text_of_kind(input_kind_for_path(path), std::get<std::string>(content));
    });
}

// Copies the texts of every item first, so that nothing is counted unless
// the whole argument converts.
PyObject* count_errors(PyObject* findings) {
    if (PyType_IsSubtype(Py_TYPE(findings), &PyUnicode_Type)) {
        PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
        return nullptr;
    }
    if (!PySequence_Check(findings)) {
        raise_cannot_convert(findings, "Sequence");
        return nullptr;
    }
    std::vector<FindingTexts> items;
    const Py_ssize_t size_hint = PySequence_Size(findings);
    if (size_hint < 0) PyErr_Clear();
    else items.reserve(static_cast<std::size_t>(size_hint));

    PyRef iterator(PyObject_GetIter(findings));
    if (!iterator) return nullptr;
    while (PyRef item{PyIter_Next(iterator.get())}) {
        if (!is_finding(item.get())) {
            raise_cannot_convert(item.get(), "Finding");
            return nullptr;
        }
        items.push_back(finding_texts(item.get()));
    }
    if (PyErr_Occurred()) return nullptr;

    unsigned long long errors = 0;
    for (const FindingTexts& item : items) errors += item.severity == "error" ? 1 : 0;
    return PyLong_FromUnsignedLongLong(errors);
}

PyObject* error_count(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&]() -> PyObject* {
        PyObject* findings = bind_single_argument("error_count", "findings", args, kwargs);
        if (findings == nullptr) return nullptr;
        PyObject* count = count_errors(findings);
        if (count == nullptr) wrap_argument_error("findings");
        return count;
    });
}

PyMethodDef kFunctions[] = {
    {"lint_json", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(lint_json)),
     METH_VARARGS | METH_KEYWORDS,
     "lint_json(text)\n--\n\n"
     "Lint a cluster spec given as a JSON string (the tool's own format, with\n"
     "charge / spin / ECP list). Raises ValueError if the JSON is not a valid spec."},
    {"lint_xyz", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(lint_xyz)),
     METH_VARARGS | METH_KEYWORDS,
     "lint_xyz(text)\n--\n\n"
     "Lint a geometry given as standard XYZ text. Charge/spin can be put on the\n"
     "comment line (`0 1` or `charge=.. mult=..`); without them the electron-count\n"
     "checks abstain. Raises ValueError if the text is not valid XYZ."},
    {"lint_source", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(lint_source)),
     METH_VARARGS | METH_KEYWORDS,
     "lint_source(text)\n--\n\n"
     "Lint Python source text for nondeterministic conformer embedding\n"
     "(`EmbedMolecule` / `EmbedMultipleConfs` with no fixed `randomSeed`)."},
    {"lint_file", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(lint_file)),
     METH_VARARGS | METH_KEYWORDS,
     "lint_file(path)\n--\n\n"
     "Lint a file, dispatching by extension: `.py` \u2192 source checks, `.xyz` \u2192\n"
     "geometry, anything else \u2192 JSON cluster spec. Raises OSError if the file\n"
     "cannot be read, ValueError if its contents do not parse."},
    {"error_count", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(error_count)),
     METH_VARARGS | METH_KEYWORDS,
     "error_count(findings)\n--\n\n"
     "Number of error-severity findings in a list (warnings are not counted)."},
};

PyModuleDef kModuleDef = {
    PyModuleDef_HEAD_INIT, kModuleName, "", 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// Sets the attribute and appends its name to __all__, creating the list on
// the first addition.
bool add_to_module(PyObject* module, const char* name, PyObject* value) {
    PyRef all(PyObject_GetAttrString(module, "__all__"));
    if (!all) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return false;
        PyErr_Clear();
        all = PyRef(PyList_New(0));
        if (!all || PyObject_SetAttrString(module, "__all__", all.get()) < 0) return false;
    }
    PyRef key(PyUnicode_FromString(name));
    if (!key || PyList_Append(all.get(), key.get()) < 0) return false;
    return PyObject_SetAttr(module, key.get(), value) == 0;
}

PyObject* create_module() {
    static bool created = false;
    if (created) {
        PyErr_SetString(PyExc_ImportError,
                        "quorv_lint cannot be initialized twice in one process; "
                        "reuse the module that was imported first");
        return nullptr;
    }
    if (internal_error_type == nullptr) {
        internal_error_type = PyErr_NewException("quorv_lint.InternalError", PyExc_BaseException, nullptr);
        if (internal_error_type == nullptr) return nullptr;
    }
    PyRef module(PyModule_Create2(&kModuleDef, PYTHON_ABI_VERSION));
    if (!module) return nullptr;
    created = true;

    PyRef version(PyUnicode_FromString(kVersion));
    if (!version || !add_to_module(module.get(), "__version__", version.get())) return nullptr;
    PyObject* type = finding_type();
    if (type == nullptr || !add_to_module(module.get(), "Finding", type)) return nullptr;

    PyRef module_name(PyUnicode_FromString(kModuleName));
    if (!module_name) return nullptr;
    for (PyMethodDef& definition : kFunctions) {
        PyRef function(PyCFunction_NewEx(&definition, module.get(), module_name.get()));
        if (!function || !add_to_module(module.get(), definition.ml_name, function.get())) return nullptr;
    }
    return module.release();
}

}  // namespace

}  // namespace quorv::python

PyMODINIT_FUNC PyInit_quorv_lint(void) {
    return quorv::python::guarded([] { return quorv::python::create_module(); });
}
