#include "python/finding_object.h"

#include <new>
#include <string_view>

#include "python/unicode_escape.h"

namespace quorv::python {

namespace {

struct FindingObject {
    PyObject_HEAD
    FindingTexts texts;
};

FindingObject* as_finding(PyObject* object) { return reinterpret_cast<FindingObject*>(object); }

PyObject* new_str(std::string_view text) {
    return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

bool is_error_text(const std::string& severity) { return severity == "error"; }

// Decodes one UTF-8 character; the texts are always well-formed UTF-8, but a
// stray byte is taken as itself rather than read past.
char32_t decode_at(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (lead < 0xC2 || lead > 0xF4 || pos + length > text.size()) length = 1;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    pos += length;
    return c;
}

void append_hex(std::string& out, char32_t c) {
    static constexpr char kDigits[] = "0123456789abcdef";
    char buffer[8];
    int n = 0;
    do {
        buffer[n++] = kDigits[c & 0xF];
        c >>= 4;
    } while (c != 0);
    while (n > 0) out.push_back(buffer[--n]);
}

std::string quoted_message(std::string_view message) {
    std::string out = "\"";
    std::size_t pos = 0;
    while (pos < message.size()) {
        const std::size_t start = pos;
        const char32_t c = decode_at(message, pos);
        switch (c) {
            case U'\0': out += "\\0"; continue;
            case U'\t': out += "\\t"; continue;
            case U'\r': out += "\\r"; continue;
            case U'\n': out += "\\n"; continue;
            case U'\\': out += "\\\\"; continue;
            case U'"': out += "\\\""; continue;
            default: break;
        }
        if (needs_unicode_escape(c)) {
            out += "\\u{";
            append_hex(out, c);
            out += '}';
        } else {
            out.append(message.substr(start, pos - start));
        }
    }
    out += '"';
    return out;
}

void finding_dealloc(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    as_finding(self)->texts.~FindingTexts();
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);  // instances of a heap type hold a reference to it
}

PyObject* finding_new(PyTypeObject* type, PyObject*, PyObject*) {
    PyRef name(PyObject_GetAttrString(reinterpret_cast<PyObject*>(type), "__name__"));
    if (!name) return nullptr;
    PyErr_Format(PyExc_TypeError, "No constructor defined for %U", name.get());
    return nullptr;
}

PyObject* finding_str(PyObject* self) {
    const FindingTexts& texts = as_finding(self)->texts;
    std::string out = is_error_text(texts.severity) ? "ERROR" : "warn ";
    out += " [";
    out += texts.code;
    out += "] ";
    out += texts.message;
    return new_str(out);
}

PyObject* finding_repr(PyObject* self) {
    const FindingTexts& texts = as_finding(self)->texts;
    std::string out = "Finding(severity='";
    out += texts.severity;
    out += "', code='";
    out += texts.code;
    out += "', message=";
    out += quoted_message(texts.message);
    out += ')';
    return new_str(out);
}

PyObject* get_severity(PyObject* self, void*) { return new_str(as_finding(self)->texts.severity); }
PyObject* get_code(PyObject* self, void*) { return new_str(as_finding(self)->texts.code); }
PyObject* get_message(PyObject* self, void*) { return new_str(as_finding(self)->texts.message); }
PyObject* get_is_error(PyObject* self, void*) {
    return PyBool_FromLong(is_error_text(as_finding(self)->texts.severity));
}

PyGetSetDef kGetters[] = {
    {"severity", get_severity, nullptr, nullptr, nullptr},
    {"code", get_code, nullptr, nullptr, nullptr},
    {"message", get_message, nullptr, nullptr, nullptr},
    {"is_error", get_is_error, nullptr,
     "True when this finding is an error (physically impossible / almost certainly wrong).", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot kSlots[] = {
    {Py_tp_doc, const_cast<char*>("A single diagnostic. `severity` is `\"error\"` or `\"warning\"`.")},
    {Py_tp_new, reinterpret_cast<void*>(finding_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(finding_dealloc)},
    {Py_tp_str, reinterpret_cast<void*>(finding_str)},
    {Py_tp_repr, reinterpret_cast<void*>(finding_repr)},
    {Py_tp_getset, kGetters},
    {0, nullptr},
};

PyType_Spec kSpec = {
    "Finding",
    static_cast<int>(sizeof(FindingObject)),
    0,
    Py_TPFLAGS_DEFAULT,
    kSlots,
};

PyRef make_finding(PyObject* type, const Finding& finding) {
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(reinterpret_cast<PyTypeObject*>(type), Py_tp_alloc));
    PyRef object(alloc(reinterpret_cast<PyTypeObject*>(type), 0));
    if (!object) return object;
    // The allocator hands back zeroed memory; the texts are built in place.
    new (&as_finding(object.get())->texts)
        FindingTexts{std::string(severity_text(finding.severity)), std::string(finding.code), finding.message};
    return object;
}

}  // namespace

PyObject* finding_type() {
    static PyObject* type = nullptr;
    if (type == nullptr) type = PyType_FromSpec(&kSpec);
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
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item.release());  // steals
    }
    return list;
}

bool is_finding(PyObject* object) {
    PyObject* type = finding_type();
    return type != nullptr && PyType_IsSubtype(Py_TYPE(object), reinterpret_cast<PyTypeObject*>(type));
}

const FindingTexts& finding_texts(PyObject* object) { return as_finding(object)->texts; }

}  // namespace quorv::python
