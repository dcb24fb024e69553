#include "python/finding_object.h"

#include <new>
#include <string_view>
#include <utility>

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

constexpr std::string_view kErrorLabel = "ERROR";
constexpr std::string_view kWarningLabel = "warn ";  // five characters, like "ERROR"

struct FindingObject {
    PyObject_HEAD
    // The template and its arguments: the texts are built when asked for,
    // so that an object stays small however many a call returns.
    FindingMessage message;  // built in place by make_finding
    // False in the zeroed memory the interpreter allocates. Python code can
    // still get an instance past the constructor (by replacing __new__ on the
    // class); its message was never built, and it reads as three empty texts.
    bool has_message;
};

FindingObject* as_finding(PyObject* object) { return reinterpret_cast<FindingObject*>(object); }

const FindingMessage* message_of(PyObject* object) {
    const FindingObject* finding = as_finding(object);
    return finding->has_message ? &finding->message : nullptr;
}

std::string_view severity_of(PyObject* object) {
    const FindingMessage* message = message_of(object);
    return message != nullptr ? severity_text(message->severity()) : std::string_view();
}

std::string_view code_of(PyObject* object) {
    const FindingMessage* message = message_of(object);
    return message != nullptr ? message->code_name() : std::string_view();
}

std::string message_text_of(PyObject* object) {
    const FindingMessage* message = message_of(object);
    return message != nullptr ? message->text() : std::string();
}

bool is_error(PyObject* object) {
    const FindingMessage* message = message_of(object);
    return message != nullptr && message->severity() == Severity::Error;
}

std::string str_text(PyObject* object) {
    std::string out(is_error(object) ? kErrorLabel : kWarningLabel);
    out += " [";
    out += code_of(object);
    out += "] ";
    out += message_text_of(object);
    return out;
}

std::string repr_text(PyObject* object) {
    std::string out = "Finding(severity='";
    out += severity_of(object);
    out += "', code='";
    out += code_of(object);
    out += "', message=";
    out += quoted_literal(message_text_of(object));
    out += ')';
    return out;
}

void finding_dealloc(PyObject* self) noexcept {
    PyTypeObject* type = Py_TYPE(self);
    if (as_finding(self)->has_message) as_finding(self)->message.~FindingMessage();
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
    return guarded([&] { return new_str(str_text(self)); });
}

PyObject* finding_repr(PyObject* self) noexcept {
    return guarded([&] { return new_str(repr_text(self)); });
}

PyObject* get_severity(PyObject* self, void*) noexcept { return new_str(severity_of(self)); }
PyObject* get_code(PyObject* self, void*) noexcept { return new_str(code_of(self)); }
PyObject* get_message(PyObject* self, void*) noexcept {
    return guarded([&] { return new_str(message_text_of(self)); });
}
PyObject* get_is_error(PyObject* self, void*) noexcept { return PyBool_FromLong(is_error(self) ? 1 : 0); }

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

PyRef make_finding(PyObject* type, FindingMessage&& message) {
    auto* python_type = reinterpret_cast<PyTypeObject*>(type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(python_type, Py_tp_alloc));
    if (alloc == nullptr) {
        raise_internal_error("the Finding class has no allocator");
        return PyRef();
    }
    PyRef object(alloc(python_type, 0));
    if (!object) return object;
    new (&as_finding(object.get())->message) FindingMessage(std::move(message));  // moving cannot throw
    as_finding(object.get())->has_message = true;
    return object;
}

}  // namespace

PyObject* finding_type() {
    static PyObject* type = nullptr;  // lives for the life of the process
    if (type == nullptr) type = create_type();
    return type;
}

void FindingObjects::accept(Finding&& finding) {
    PyObject* type = finding_type();
    if (type == nullptr) throw PythonExceptionSet{};
    PyRef object = make_finding(type, std::move(finding).take_message());
    if (!object) throw PythonExceptionSet{};
    objects_.push_back(std::move(object));
}

PyRef FindingObjects::take_list() {
    PyRef list(PyList_New(static_cast<Py_ssize_t>(objects_.size())));
    if (!list) return list;
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        if (PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), objects_[i].release()) < 0) return PyRef();
    }
    objects_.clear();
    return list;
}

bool is_finding(PyObject* object) {
    PyObject* type = finding_type();
    return type != nullptr && PyType_IsSubtype(Py_TYPE(object), reinterpret_cast<PyTypeObject*>(type));
}

bool finding_is_error(PyObject* object) { return is_error(object); }

}  // namespace quorv::python
