// Every text the cluster-spec reader can fail with, once each. Content
// messages are templates filled with what was found and what was wanted.
#pragma once

#include <string_view>

namespace quorv::spec_json {

// The position suffix every error carries: message, line, column.
inline constexpr std::string_view kErrorAtPosition = "{} at line {} column {}";

// Syntax.
inline constexpr std::string_view kEofWhileParsingValue = "EOF while parsing a value";
inline constexpr std::string_view kEofWhileParsingObject = "EOF while parsing an object";
inline constexpr std::string_view kEofWhileParsingList = "EOF while parsing a list";
inline constexpr std::string_view kEofWhileParsingString = "EOF while parsing a string";
inline constexpr std::string_view kExpectedColon = "expected `:`";
inline constexpr std::string_view kExpectedObjectCommaOrEnd = "expected `,` or `}`";
inline constexpr std::string_view kExpectedListCommaOrEnd = "expected `,` or `]`";
inline constexpr std::string_view kExpectedIdent = "expected ident";
inline constexpr std::string_view kExpectedValue = "expected value";
inline constexpr std::string_view kKeyMustBeAString = "key must be a string";
inline constexpr std::string_view kInvalidEscape = "invalid escape";
inline constexpr std::string_view kInvalidNumber = "invalid number";
inline constexpr std::string_view kNumberOutOfRange = "number out of range";
inline constexpr std::string_view kControlCharacterInString =
    "control character (\\u0000-\\u001F) found while parsing a string";
inline constexpr std::string_view kLoneLeadingSurrogate = "lone leading surrogate in hex escape";
inline constexpr std::string_view kUnexpectedEndOfHexEscape = "unexpected end of hex escape";
inline constexpr std::string_view kTrailingComma = "trailing comma";
inline constexpr std::string_view kTrailingCharacters = "trailing characters";
// Text from a front end is valid UTF-8; raw bytes (the fuzzer, a C++ caller)
// may not be, and a string that is not cannot become an element symbol.
inline constexpr std::string_view kInvalidUnicode = "invalid unicode code point";

// Content.
inline constexpr std::string_view kMissingField = "missing field `{}`";
inline constexpr std::string_view kDuplicateField = "duplicate field `{}`";
inline constexpr std::string_view kInvalidType = "invalid type: {}, expected {}";
inline constexpr std::string_view kInvalidValue = "invalid value: {}, expected {}";
inline constexpr std::string_view kInvalidLength = "invalid length {}, expected {}";

// What was found, for the invalid type and value messages.
inline constexpr std::string_view kFoundNull = "null";
inline constexpr std::string_view kFoundBoolean = "boolean `{}`";
inline constexpr std::string_view kFoundInteger = "integer `{}`";
inline constexpr std::string_view kFoundFloat = "floating point `{}`";
inline constexpr std::string_view kFoundString = "string {}";
inline constexpr std::string_view kFoundSequence = "sequence";
inline constexpr std::string_view kFoundMap = "map";

// What was wanted.
inline constexpr std::string_view kWantedClusterSpec = "struct ClusterSpec";
inline constexpr std::string_view kWantedClusterSpecArray = "struct ClusterSpec with 5 elements";
inline constexpr std::string_view kWantedAtom = "struct Atom";
inline constexpr std::string_view kWantedAtomArray = "struct Atom with 4 elements";
inline constexpr std::string_view kWantedSequence = "a sequence";
inline constexpr std::string_view kWantedString = "a string";
inline constexpr std::string_view kWantedF64 = "f64";
inline constexpr std::string_view kWantedI64 = "i64";
inline constexpr std::string_view kWantedU32 = "u32";

}  // namespace quorv::spec_json
