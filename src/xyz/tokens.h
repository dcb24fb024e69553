// Splitting a line into tokens at Unicode white space.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace quorv::xyz {

// Hands out the maximal runs of non-white-space characters of a line, in
// order; leading, trailing and repeated white space yield no empty tokens.
class TokenReader {
public:
    explicit TokenReader(std::string_view line) : line_(line) {}

    std::optional<std::string_view> next();

private:
    std::string_view line_;
    std::size_t position_ = 0;
};

}  // namespace quorv::xyz
