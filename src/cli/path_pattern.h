// One path pattern in the grammar of .gitignore files, which the exclude
// lists and per-file-ignores of the configuration use too:
//
//   *  any run of characters but "/"       ?  one character but "/"
//   [a-z], [!a-z], [^a-z], [[:digit:]]     a character class (never "/")
//   **/ at the start or between slashes    any number of whole directories
//   /** at the end, or "**" alone          everything below
//   \x                                     the character x as it is
//
// A pattern with a "/" before its end is anchored: it is matched against the
// whole path relative to the directory it belongs to (a leading "/" only
// anchors). Any other pattern is matched against the last component of the
// path, at any depth. A trailing "/" makes the pattern match directories only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorv::cli {

class PathPattern {
public:
    explicit PathPattern(std::string_view pattern);

    // `relative_path` is "/"-separated, relative to the pattern's directory,
    // with no leading or trailing "/". Time grows with the product of the
    // two lengths, whatever the pattern: no backtracking.
    bool matches(std::string_view relative_path, bool is_directory) const;

    const std::string& text() const { return text_; }
    // Matched against the whole relative path, not only its last component.
    bool anchored() const { return anchored_; }

private:
    enum class Kind : std::uint8_t {
        Literal,     // `byte`
        AnyByte,     // ? : one byte but "/"
        Class,       // [...]: one byte of `classes_[index]`, never "/"
        Star,        // * : a run of bytes without "/"
        AnyRun,      // ** : a run of any bytes
        SkipTwo,     // **/ : may jump over the AnyRun and "/" that follow it
    };
    struct Node {
        Kind kind;
        unsigned char byte = 0;
        std::uint32_t index = 0;
        bool skippable = false;  // part of a "**/" that SkipTwo may jump over
    };
    // 256 bits: which bytes a class takes.
    struct ByteSet {
        std::uint64_t words[4] = {};
        void add(unsigned char byte) { words[byte >> 6] |= std::uint64_t{1} << (byte & 63); }
        bool has(unsigned char byte) const { return (words[byte >> 6] >> (byte & 63)) & 1; }
    };

    void compile(std::string_view body);
    // The literal runs every match must show, so that most texts are turned
    // away without running the automaton.
    void find_literals();
    bool passes_literals(std::string_view text) const;
    // Reads the class that starts after the "[" at body[pos]; returns the
    // position after its "]", or npos when it never closes.
    std::size_t compile_class(std::string_view body, std::size_t pos);
    bool matches_text(std::string_view text) const;
    template <typename States>
    bool run_automaton(std::string_view text) const;

    std::string text_;
    std::vector<Node> nodes_;
    std::vector<ByteSet> classes_;
    std::string prefix_;    // the text must start with it
    std::string suffix_;    // ... end with it
    std::string longest_;   // ... and hold it somewhere
    bool all_literal_ = false;
    bool anchored_ = false;
    bool directory_only_ = false;
    bool never_matches_ = false;  // malformed: an unclosed class or a lone trailing backslash
};

}  // namespace quorv::cli
