// The quorv_lint module: its definition and its one-time initializer.
#include "python/call_boundary.h"
#include "python/finding_object.h"
#include "python/functions.h"
#include "version.h"

namespace quorv::python {

namespace {

constexpr const char* kModuleName = "quorv_lint";
constexpr const char* kModuleDoc = "";
constexpr const char* kAllName = "__all__";
constexpr const char* kSecondInitialization =
    "quorv_lint can be initialized only once per process and already was: "
    "keep using the module imported first";
constexpr const char* kNotMainInterpreter =
    "quorv_lint can be imported only in the main interpreter: its types are shared by the whole process";

PyModuleDef kModuleDef = {
    PyModuleDef_HEAD_INIT, kModuleName, kModuleDoc, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
};

// The one module of this process: set only once an initialization has
// succeeded, and kept, so that a second initialization (a re-import after
// removal from sys.modules, an import from another interpreter) is refused,
// while a failed one leaves the next free to succeed.
PyObject* created_module = nullptr;

// Subinterpreters are refused before anything is made: the Finding type
// lives for the whole process and must not belong to an interpreter that can
// go away, and an isolated interpreter would reject the module only after
// it had been made.
bool in_main_interpreter() { return PyInterpreterState_GetID(PyInterpreterState_Get()) == 0; }

// An import always runs the initializer from the import system's Python
// code. With no Python frame at all, the interpreter is making the module
// for a subinterpreter's import in the main interpreter's name (3.13 does),
// and then asks this initializer again in the subinterpreter itself: such a
// module is the interpreter's cache, not the process's import, and does not
// count as the one module made.
bool called_from_python() { return PyEval_GetFrame() != nullptr; }

// Appends the name to __all__, which the first addition creates, and sets
// the attribute.
bool add_to_module(PyObject* module, PyObject* name, PyObject* value) {
    PyRef all(PyObject_GetAttrString(module, kAllName));
    if (!all) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return false;
        PyErr_Clear();
        all = PyRef(PyList_New(0));
        if (!all || PyObject_SetAttrString(module, kAllName, all.get()) < 0) return false;
    }
    if (PyList_Append(all.get(), name) < 0) return false;
    return PyObject_SetAttr(module, name, value) == 0;
}

bool add_to_module(PyObject* module, const char* name, PyObject* value) {
    PyRef key(PyUnicode_FromString(name));
    return key && add_to_module(module, key.get(), value);
}

PyObject* create_module() {
    if (created_module != nullptr) {
        PyErr_SetString(PyExc_ImportError, kSecondInitialization);
        return nullptr;
    }
    if (!in_main_interpreter()) {
        if (!PyErr_Occurred()) PyErr_SetString(PyExc_ImportError, kNotMainInterpreter);
        return nullptr;
    }
    if (!create_internal_error_class()) return nullptr;
    PyRef module(PyModule_Create2(&kModuleDef, PYTHON_ABI_VERSION));
    if (!module) return nullptr;

    PyRef version(new_str(kVersion));
    if (!version || !add_to_module(module.get(), "__version__", version.get())) return nullptr;
    PyObject* type = finding_type();
    if (type == nullptr || !add_to_module(module.get(), "Finding", type)) return nullptr;

    PyRef module_name(PyUnicode_FromString(kModuleName));
    if (!module_name) return nullptr;
    for (PyMethodDef& definition : module_functions()) {
        PyRef function(PyCFunction_NewEx(&definition, module.get(), module_name.get()));
        if (!function) return nullptr;
        PyRef name(PyObject_GetAttrString(function.get(), "__name__"));
        if (!name || !add_to_module(module.get(), name.get(), function.get())) return nullptr;
    }
    if (called_from_python()) created_module = PyRef::borrowed(module.get()).release();
    return module.release();
}

}  // namespace

}  // namespace quorv::python

PyMODINIT_FUNC PyInit_quorv_lint(void) {
    return quorv::python::guarded([] { return quorv::python::create_module(); });
}
