// The diagnostic record shared by the rules engine and the source checker.
//
// A finding keeps its message as the catalog template and the arguments
// that fill it, and builds the text when asked: a few dozen bytes each,
// however many findings a cluster of coincident atoms produces. Where it
// points (a line, atoms, a frame) is data beside the message, for front ends
// to show their own way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "lib/catalog.h"

namespace quorv {

// Where a finding points. Every part is optional.
class Location {
public:
    static Location at_line(std::uint64_t line) {
        Location location;
        location.line_ = line;
        return location;
    }
    static Location of_atoms(std::uint64_t first) {
        Location location;
        location.atoms_ = {first, 0};
        location.atom_count_ = 1;
        return location;
    }
    static Location of_atoms(std::uint64_t first, std::uint64_t second) {
        Location location;
        location.atoms_ = {first, second};
        location.atom_count_ = 2;
        return location;
    }

    // The 1-based line of the input text: the call of a source finding, or a
    // line a front end found for the atoms.
    std::optional<std::uint64_t> line() const { return line_ == kNone ? std::nullopt : std::optional(line_); }
    void set_line(std::uint64_t line) { line_ = line; }
    // The 0-based frame of a trajectory the finding is about.
    std::optional<std::uint64_t> frame() const { return frame_ == kNone ? std::nullopt : std::optional(frame_); }
    void set_frame(std::uint64_t frame) { frame_ = frame; }
    // The 0-based indices of the atoms the finding names, in the order it names them.
    std::span<const std::uint64_t> atoms() const { return {atoms_.data(), atom_count_}; }

private:
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};
    std::uint64_t line_ = kNone;
    std::uint64_t frame_ = kNone;
    std::array<std::uint64_t, 2> atoms_{};
    std::uint8_t atom_count_ = 0;
};

// The arguments of a message, kept as numbers and one buffer of texts.
class MessageArgs {
public:
    static constexpr std::size_t kMostArgs = 5;

    void add(std::uint64_t value) { push(ArgKind::Unsigned, value); }
    void add(std::int64_t value) { push(ArgKind::Signed, static_cast<std::uint64_t>(value)); }
    void add(double value);
    void add(std::string_view text);

    std::size_t size() const { return count_; }
    ArgKind kind(std::size_t index) const { return kinds_[index]; }
    std::uint64_t unsigned_value(std::size_t index) const { return values_[index]; }
    std::int64_t signed_value(std::size_t index) const { return static_cast<std::int64_t>(values_[index]); }
    double real_value(std::size_t index) const;
    std::string_view text_value(std::size_t index) const;

private:
    void push(ArgKind kind, std::uint64_t value);

    // A text argument's value is where it starts in `texts_` and how long it is.
    static constexpr unsigned kOffsetShift = 32;
    std::array<std::uint64_t, kMostArgs> values_{};
    std::array<ArgKind, kMostArgs> kinds_{};
    std::uint8_t count_ = 0;
    std::string texts_;
};

// A message: the template and its arguments.
class FindingMessage {
public:
    FindingMessage() = default;
    FindingMessage(MessageId id, MessageArgs args) : id_(id), args_(std::move(args)) {}

    Code code() const { return id_.code; }
    std::string_view code_name() const { return catalog_entry(id_.code).name; }
    Severity severity() const { return catalog_entry(id_.code).severity; }

    // The whole text, as the module shows it.
    std::string text() const;
    // The text without the "line N: " a MessageLead::Line message starts
    // with; the same as text() for every other message.
    std::string text_after_lead() const;

private:
    MessageId id_{Code::ElectronParityAbstain, 0};
    MessageArgs args_;
};

class Finding {
public:
    Finding(FindingMessage message, Location location) : message_(std::move(message)), location_(location) {}

    Code code() const { return message_.code(); }
    std::string_view code_name() const { return message_.code_name(); }
    Severity severity() const { return message_.severity(); }
    std::string message() const { return message_.text(); }

    const FindingMessage& message_parts() const { return message_; }
    FindingMessage&& take_message() && { return std::move(message_); }
    const Location& location() const { return location_; }
    Location& location() { return location_; }

private:
    FindingMessage message_;
    Location location_;
};

// The one way to make a finding: a catalog message, where it points, and the
// arguments its template takes (checked when compiled).
template <typename... Args>
Finding make_finding(const Message<Args...>& message, Location location, std::type_identity_t<Args>... args) {
    MessageArgs values;
    (values.add(args), ...);
    return Finding(FindingMessage(message.id(), std::move(values)), location);
}

// A source finding: its message leads with the line, which is also its location.
template <typename... Args>
Finding make_line_finding(const Message<std::uint64_t, Args...>& message, std::uint64_t line,
                          std::type_identity_t<Args>... args) {
    static_assert(sizeof...(Args) < MessageArgs::kMostArgs);
    return make_finding(message, Location::at_line(line), line, args...);
}

}  // namespace quorv
