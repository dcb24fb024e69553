#include "python/finding_object.h"

#include <new>
#include <string_view>
#include <utility>

#include "front/file_reading.h"
#include "python/call_boundary.h"
#include "python/unicode_escape.h"

namespace quorv::python {

namespace {

// The spec name carries the module so that the class gets its __module__
// (a bare name makes type creation warn that it has none); the class is then
// renamed, so that its own name, the one the interpreter's messages show,
// stays "Finding" with no module prefix.
constexpr const char* kSpecName = "quorv_lint.Finding";
constexpr const char* kClassName = "Finding";
constexpr const char* kClassDoc = "A single diagnostic. `severity` is `\"error\"` or `\"warning\"`.";
constexpr const char* kIsErrorDoc = "True when this finding is an error (physically impossible / almost certainly wrong).";
constexpr const char* kNoConstructor = "No constructor defined for %U";

constexpr std::string_view kErrorSeverity = "error";
constexpr std::string_view kErrorLabel = "ERROR";
constexpr std::string_view kWarningLabel = "warn ";  // five characters, like "ERROR"

struct FindingObject {
    PyObject_HEAD
    FindingTexts texts;  // built in place by make_finding
    // False in the zeroed memory the interpreter allocates. Python code can
    // still get an instance past the constructor (by replacing __new__ on the
    // class); its texts were never built, and it reads as three empty texts.
    bool has_texts;
};

FindingObject* as_finding(PyObject* object) { return reinterpret_cast<FindingObject*>(object); }

const FindingTexts& texts_of(PyObject* object) {
    static const FindingTexts kNoTexts{};
    const FindingObject* finding = as_finding(object);
    return finding->has_texts ? finding->texts : kNoTexts;
}

bool is_error_text(std::string_view severity) { return severity == kErrorSeverity; }

std::string str_text(const FindingTexts& texts) {
    std::string out(is_error_text(texts.severity) ? kErrorLabel : kWarningLabel);
    out += " [";
    out += texts.code;
    out += "] ";
    out += texts.message;
    return out;
}

std::string repr_text(const FindingTexts& texts) {
    std::string out = "Finding(severity='";
    out += texts.severity;
    out += "', code='";
    out += texts.code;
    out += "', message=";
    out += quoted_literal(texts.message);
    out += ')';
    return out;
}

void finding_dealloc(PyObject* self) noexcept {
    PyTypeObject* type = Py_TYPE(self);
    if (as_finding(self)->has_texts) as_finding(self)->texts.~FindingTexts();
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    (free_object != nullptr ? free_object : PyObject_Free)(self);
    Py_DECREF(type);  // every instance of a heap type holds a reference to it
}

PyObject* finding_new(PyTypeObject* type, PyObject*, PyObject*) noexcept {
    PyRef name(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__name__"));
    if (!name) return nullptr;
    PyErr_Format(PyExc_TypeError, kNoConstructor, name.get());
    return nullptr;
}

PyObject* finding_str(PyObject* self) noexcept {
    return guarded([&] { return new_str(str_text(texts_of(self))); });
}

PyObject* finding_repr(PyObject* self) noexcept {
    return guarded([&] { return new_str(repr_text(texts_of(self))); });
}

PyObject* get_severity(PyObject* self, void*) noexcept { return new_str(texts_of(self).severity); }
PyObject* get_code(PyObject* self, void*) noexcept { return new_str(texts_of(self).code); }
PyObject* get_message(PyObject* self, void*) noexcept { return new_str(texts_of(self).message); }
PyObject* get_is_error(PyObject* self, void*) noexcept {
    return PyBool_FromLong(is_error_text(texts_of(self).severity) ? 1 : 0);
}

PyGetSetDef kGetters[] = {
    {"severity", get_severity, nullptr, nullptr, nullptr},
    {"code", get_code, nullptr, nullptr, nullptr},
    {"message", get_message, nullptr, nullptr, nullptr},
    {"is_error", get_is_error, nullptr, kIsErrorDoc, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot kSlots[] = {
    {Py_tp_doc, const_cast<char*>(kClassDoc)},
    {Py_tp_new, reinterpret_cast<void*>(finding_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(finding_dealloc)},
    {Py_tp_str, reinterpret_cast<void*>(finding_str)},
    {Py_tp_repr, reinterpret_cast<void*>(finding_repr)},
    {Py_tp_getset, kGetters},
    {0, nullptr},
};

// Default flags only: not a base type, not garbage-collected, and with no
// dictionary or weak-reference slot.
PyType_Spec kSpec = {
    kSpecName,
    static_cast<int>(sizeof(FindingObject)),
    0,
    Py_TPFLAGS_DEFAULT,
    kSlots,
};

PyObject* create_type() {
    PyRef type(PyType_FromSpec(&kSpec));
    if (!type) return nullptr;
    PyRef name(PyUnicode_FromString(kClassName));
    if (!name || PyObject_SetAttrString(type.get(), "__name__", name.get()) < 0) return nullptr;
    return type.release();
}

PyRef make_finding(PyObject* type, const Finding& finding) {
    // Every text is built before the object exists, so that a failure here
    // never leaves an object with half-made texts to deallocate.
    FindingTexts texts{std::string(severity_text(finding.severity)), std::string(finding.code), finding.message};
    if (!is_valid_utf8(texts.code) || !is_valid_utf8(texts.message)) {
        raise_internal_error("a finding's text is not valid UTF-8");
        return PyRef();
    }
    auto* python_type = reinterpret_cast<PyTypeObject*>(type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(python_type, Py_tp_alloc));
    if (alloc == nullptr) {
        raise_internal_error("the Finding class has no allocator");
        return PyRef();
    }
    PyRef object(alloc(python_type, 0));
    if (!object) return object;
    new (&as_finding(object.get())->texts) FindingTexts(std::move(texts));  // moving cannot throw
    as_finding(object.get())->has_texts = true;
    return object;
}

}  // namespace

PyObject* finding_type() {
    static PyObject* type = nullptr;  // lives for the life of the process
    if (type == nullptr) type = create_type();
    return type;
}

PyRef findings_to_list(const std::vector<Finding>& findings) {
    PyObject* type = finding_type();
    if (type == nullptr) return PyRef();
    PyRef list(PyList_New(static_cast<Py_ssize_t>(findings.size())));
    if (!list) return list;
    for (std::size_t i = 0; i < findings.size(); ++i) {
        PyRef item = make_finding(type, findings[i]);
        if (!item) return PyRef();
        if (PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item.release()) < 0) return PyRef();
    }
    return list;
}

bool is_finding(PyObject* object) {
    PyObject* type = finding_type();
    return type != nullptr && PyType_IsSubtype(Py_TYPE(object), reinterpret_cast<PyTypeObject*>(type));
}

const FindingTexts& finding_texts(PyObject* object) { return texts_of(object); }

}  // namespace quorv::python
