// Bookkeeping for the keys of one object that stands for a record: which
// known keys were seen, and the errors for a repeated or a missing one.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "spec_json/byte_cursor.h"

namespace quorv::spec_json {

class RecordFields {
public:
    static constexpr std::size_t kMaxFields = 8;

    // `names` in declaration order; at most kMaxFields, and they must outlive this.
    explicit RecordFields(std::span<const std::string_view> names) : names_(names) {}

    // The field a key names, compared byte for byte; nothing for an unlisted key.
    std::optional<std::size_t> field_of(std::string_view key) const;

    // Marks the field as read. A second time fails at once, before the value:
    // the point is the key's closing quote or the blanks after it.
    bool claim(ByteCursor& cursor, std::size_t field);

    bool seen(std::size_t field) const { return seen_[field]; }

    // After the closing brace has been consumed: names the first field, in
    // declaration order, that `required` marks and that was not seen.
    bool check_required(ByteCursor& cursor, std::span<const bool> required) const;

private:
    std::span<const std::string_view> names_;
    std::array<bool, kMaxFields> seen_{};
};

}  // namespace quorv::spec_json
