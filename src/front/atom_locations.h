// Where in its input a finding about atoms points: the line of the first
// atom it names. Messages name atoms by index; a front end that shows lines
// (the command's text, JSON lines and SARIF) needs the line too.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "lib/lint.h"

namespace quorv::front {

// Hands each finding on to `sink` with its location completed: the line of
// the first atom it names (atom i on atom_lines[i]), or `whole_input_line`
// for a finding that names none, and the frame when there is one.
class AtomLocations final : public FindingSink {
public:
    AtomLocations(std::span<const std::uint64_t> atom_lines, FindingSink& sink,
                  std::optional<std::uint64_t> frame = std::nullopt,
                  std::optional<std::uint64_t> whole_input_line = std::nullopt)
        : atom_lines_(atom_lines), sink_(sink), frame_(frame), whole_input_line_(whole_input_line) {}

    void accept(Finding&& finding) override;

private:
    std::span<const std::uint64_t> atom_lines_;
    FindingSink& sink_;
    std::optional<std::uint64_t> frame_;
    std::optional<std::uint64_t> whole_input_line_;
};

}  // namespace quorv::front
