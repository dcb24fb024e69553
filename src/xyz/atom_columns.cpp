#include "xyz/atom_columns.h"

#include <algorithm>
#include <vector>

#include "text/format.h"
#include "text/integers.h"
#include "xyz/atom_tokens.h"
#include "xyz/quoted_text.h"
#include "xyz/short_line_tokens.h"
#include "xyz/tokens.h"

namespace quorv::xyz {

namespace {

constexpr std::string_view kNotTriples = "comment line: Properties must be name:type:columns triples, got {}";
constexpr std::string_view kUnknownType = "comment line: Properties gives {} the type {}, not S, R, I or L";
constexpr std::string_view kBadColumnCount =
    "comment line: Properties gives {} a column count of {}, not a positive whole number";
constexpr std::string_view kNamedTwice = "comment line: Properties names {} twice";
constexpr std::string_view kWrongShape = "comment line: Properties gives {} as {}:{}, not {}";
constexpr std::string_view kNoPositions = "comment line: Properties has no pos column";
constexpr std::string_view kNoElements = "comment line: Properties has neither a species nor a Z column";


// No atom line holds this many columns; a larger count cannot be met.
constexpr std::uint64_t kMostColumns = std::uint64_t{1} << 32;

struct Property {
    std::string_view name;
    std::string_view type;
    std::string_view count_text;
    std::size_t count;
    std::size_t first_column;
};

// Hands out the colon-separated fields of a value, one at a time.
class Fields {
public:
    explicit Fields(std::string_view value) : value_(value) {}
    bool done() const { return done_; }
    std::string_view next() {
        const std::size_t colon = value_.find(':', start_);
        const std::string_view field = value_.substr(start_, colon - start_);
        done_ = colon == std::string_view::npos;
        start_ = done_ ? value_.size() : colon + 1;
        return field;
    }

private:
    std::string_view value_;
    std::size_t start_ = 0;
    bool done_ = false;
};

// The property's shape must be exactly `type`:`count`, written `shape`.
std::optional<std::string> check_shape(const Property& property, std::string_view type, std::size_t count,
                                       std::string_view shape) {
    if (property.type == type && property.count == count) return std::nullopt;
    return fill(kWrongShape, {property.name, property.type, property.count_text, shape});
}

}  // namespace

std::variant<AtomColumns, std::string> read_properties(std::string_view value) {
    // A data set repeats one short list of properties on every frame.
    constexpr std::size_t kUsualProperties = 8;
    std::vector<Property> properties;
    properties.reserve(kUsualProperties);
    std::size_t column = 0;
    Fields fields(value);
    while (!fields.done()) {
        Property property{fields.next(), {}, {}, 0, column};
        if (fields.done() || property.name.empty()) return fill(kNotTriples, {quoted(value)});
        property.type = fields.next();
        if (fields.done()) return fill(kNotTriples, {quoted(value)});
        property.count_text = fields.next();
        if (property.type != "S" && property.type != "R" && property.type != "I" && property.type != "L") {
            return fill(kUnknownType, {property.name, property.type});
        }
        const auto count = parse_digits(property.count_text);
        if (!count || *count == 0 || *count > kMostColumns - column) {
            return fill(kBadColumnCount, {property.name, property.count_text});
        }
        for (const Property& earlier : properties) {
            if (earlier.name == property.name) return fill(kNamedTwice, {property.name});
        }
        property.count = static_cast<std::size_t>(*count);
        column += property.count;
        properties.push_back(property);
    }

    const auto find = [&](std::string_view name) -> const Property* {
        for (const Property& property : properties) {
            if (property.name == name) return &property;
        }
        return nullptr;
    };
    AtomColumns columns;
    columns.total = column;
    const Property* positions = find("pos");
    if (positions == nullptr) return std::string(kNoPositions);
    if (auto wrong = check_shape(*positions, "R", 3, "R:3")) return *wrong;
    columns.position = positions->first_column;
    // The symbol as written wins over the atomic number, so that messages
    // name atoms as the file does.
    if (const Property* species = find("species")) {
        if (auto wrong = check_shape(*species, "S", 1, "S:1")) return *wrong;
        columns.element = species->first_column;
    } else if (const Property* numbers = find("Z")) {
        if (auto wrong = check_shape(*numbers, "I", 1, "I:1")) return *wrong;
        columns.element = numbers->first_column;
        columns.element_is_atomic_number = true;
    } else {
        return std::string(kNoElements);
    }
    return columns;
}

std::optional<ReadError> read_atom_columns(std::string_view line, std::uint64_t line_number,
                                           const AtomColumns& columns, Atom& atom) {
    if (ShortLineTokens short_line; short_line.split(line)) return read_atom_by_columns(short_line, line_number, columns, atom);
    TokenReader tokens(line);
    return read_atom_by_columns(tokens, line_number, columns, atom);
}

}  // namespace quorv::xyz
