#include "cli/path_pattern.h"

#include <utility>

#include "text/ascii.h"

namespace quorv::cli {

namespace {

constexpr std::string_view kNegations = "!^";

struct NamedClass {
    std::string_view name;
    bool (*has)(int byte);
};

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool is_punct(int c) { return c > ' ' && c < 0x7F && !is_ascii_letter(c) && !is_ascii_digit(c); }

// The POSIX classes that git's patterns know, over ASCII.
constexpr NamedClass kNamedClasses[] = {
    {"alnum", [](int c) { return is_ascii_letter(c) || is_ascii_digit(c); }},
    {"alpha", [](int c) { return is_ascii_letter(c); }},
    {"blank", [](int c) { return c == ' ' || c == '\t'; }},
    {"cntrl", [](int c) { return c < ' ' || c == 0x7F; }},
    {"digit", [](int c) { return is_ascii_digit(c); }},
    {"graph", [](int c) { return c > ' ' && c < 0x7F; }},
    {"lower", [](int c) { return is_ascii_lower(c); }},
    {"print", [](int c) { return c >= ' ' && c < 0x7F; }},
    {"punct", is_punct},
    {"space", is_space},
    {"upper", [](int c) { return is_ascii_upper(c); }},
    {"xdigit", [](int c) { return is_ascii_digit(c) || (ascii_lower(static_cast<char>(c)) >= 'a' &&
                                                         ascii_lower(static_cast<char>(c)) <= 'f'); }},
};

}  // namespace

PathPattern::PathPattern(std::string_view pattern) : text_(pattern) {
    std::string_view body = pattern;
    if (body.ends_with('/')) {
        directory_only_ = true;
        body.remove_suffix(1);
    }
    if (body.find('/') != std::string_view::npos) {
        anchored_ = true;
        if (body.starts_with('/')) body.remove_prefix(1);
    }
    compile(body);
    find_literals();
}

void PathPattern::find_literals() {
    auto literal = [&](std::size_t i) { return nodes_[i].kind == Kind::Literal && !nodes_[i].skippable; };
    std::size_t lead = 0;
    while (lead < nodes_.size() && literal(lead)) prefix_ += static_cast<char>(nodes_[lead++].byte);
    all_literal_ = lead == nodes_.size();
    if (all_literal_) return;
    for (std::size_t i = nodes_.size(); i > 0 && literal(i - 1); --i) suffix_.insert(suffix_.begin(), static_cast<char>(nodes_[i - 1].byte));
    std::string run;
    for (std::size_t i = 0; i <= nodes_.size(); ++i) {
        if (i < nodes_.size() && literal(i)) {
            run += static_cast<char>(nodes_[i].byte);
            continue;
        }
        if (run.size() > longest_.size()) longest_ = run;
        run.clear();
    }
}

// Each literal node takes exactly its byte, in order: a run of them must
// stand in the text as it is, at the start or end where the pattern has it.
bool PathPattern::passes_literals(std::string_view text) const {
    if (all_literal_) return text == prefix_;
    return text.starts_with(prefix_) && text.ends_with(suffix_) && text.size() >= prefix_.size() + suffix_.size() &&
           text.find(longest_) != std::string_view::npos;
}

void PathPattern::compile(std::string_view body) {
    std::size_t pos = 0;
    while (pos < body.size() && !never_matches_) {
        const char c = body[pos];
        if (c == '\\') {
            if (pos + 1 == body.size()) never_matches_ = true;
            else nodes_.push_back({Kind::Literal, static_cast<unsigned char>(body[pos + 1])});
            pos += 2;
        } else if (c == '?') {
            nodes_.push_back({Kind::AnyByte});
            ++pos;
        } else if (c == '[') {
            pos = compile_class(body, pos);
            if (pos == std::string_view::npos) never_matches_ = true;
        } else if (c == '*') {
            std::size_t end = pos;
            while (end < body.size() && body[end] == '*') ++end;
            // "**" spans directories only as a whole component of an anchored pattern.
            const bool whole_component =
                anchored_ && end - pos >= 2 && (pos == 0 || body[pos - 1] == '/') &&
                (end == body.size() || body[end] == '/');
            if (!whole_component) {
                nodes_.push_back({Kind::Star});
            } else if (end == body.size()) {
                nodes_.push_back({Kind::AnyRun});
            } else {
                // "**/": nothing, or any run that ends with a "/".
                nodes_.push_back({Kind::SkipTwo});
                nodes_.push_back({Kind::AnyRun, 0, 0, true});
                nodes_.push_back({Kind::Literal, '/', 0, true});
                ++end;
            }
            pos = end;
        } else {
            nodes_.push_back({Kind::Literal, static_cast<unsigned char>(c)});
            ++pos;
        }
    }
}

std::size_t PathPattern::compile_class(std::string_view body, std::size_t pos) {
    ByteSet set;
    std::size_t i = pos + 1;
    const bool negated = i < body.size() && kNegations.find(body[i]) != std::string_view::npos;
    if (negated) ++i;
    // A "]" right after the opening (and its negation) is a member, not the end.
    for (bool first = true;; first = false) {
        if (i >= body.size()) return std::string_view::npos;
        unsigned char c = static_cast<unsigned char>(body[i]);
        if (c == ']' && !first) {
            ++i;
            break;
        }
        if (c == '[' && i + 1 < body.size() && body[i + 1] == ':') {
            const std::size_t close = body.find(":]", i + 2);
            if (close == std::string_view::npos) return std::string_view::npos;
            const std::string_view name = body.substr(i + 2, close - i - 2);
            const NamedClass* named = nullptr;
            for (const NamedClass& candidate : kNamedClasses) {
                if (candidate.name == name) named = &candidate;
            }
            if (named == nullptr) return std::string_view::npos;
            for (int byte = 0; byte < 0x80; ++byte) {
                if (named->has(byte)) set.add(static_cast<unsigned char>(byte));
            }
            i = close + 2;
            continue;
        }
        if (c == '\\') {
            if (++i >= body.size()) return std::string_view::npos;
            c = static_cast<unsigned char>(body[i]);
        }
        ++i;
        if (i + 1 < body.size() && body[i] == '-' && body[i + 1] != ']') {
            std::size_t high_at = i + 1;
            if (body[high_at] == '\\' && ++high_at >= body.size()) return std::string_view::npos;
            const auto high = static_cast<unsigned char>(body[high_at]);
            for (unsigned byte = c; byte <= high; ++byte) set.add(static_cast<unsigned char>(byte));
            i = high_at + 1;
        } else {
            set.add(c);
        }
    }
    if (negated) {
        for (std::uint64_t& word : set.words) word = ~word;
    }
    // A class never takes the separator.
    set.words['/' >> 6] &= ~(std::uint64_t{1} << ('/' & 63));
    nodes_.push_back({Kind::Class, 0, static_cast<std::uint32_t>(classes_.size())});
    classes_.push_back(set);
    return i;
}

bool PathPattern::matches(std::string_view relative_path, bool is_directory) const {
    if (never_matches_ || (directory_only_ && !is_directory)) return false;
    if (anchored_) return matches_text(relative_path);
    const std::size_t slash = relative_path.rfind('/');
    return matches_text(slash == std::string_view::npos ? relative_path : relative_path.substr(slash + 1));
}

namespace {

// The states an automaton has reached: bits of one word for the usual short
// pattern, so that matching allocates nothing; bytes for a long one.
class WordStates {
public:
    explicit WordStates(std::size_t) {}
    void set(std::size_t i) { bits_ |= std::uint64_t{1} << i; }
    bool test(std::size_t i) const { return (bits_ >> i) & 1; }
    void clear() { bits_ = 0; }

private:
    std::uint64_t bits_ = 0;
};

class ByteStates {
public:
    explicit ByteStates(std::size_t size) : bytes_(size, 0) {}
    void set(std::size_t i) { bytes_[i] = 1; }
    bool test(std::size_t i) const { return bytes_[i] != 0; }
    void clear() { std::fill(bytes_.begin(), bytes_.end(), 0); }

private:
    std::vector<char> bytes_;
};

}  // namespace

// The pattern as an automaton run over the text once: the set of nodes
// reached so far, advanced byte by byte. Every jump without a byte goes
// forward, so one ascending pass closes a set.
template <typename States>
bool PathPattern::run_automaton(std::string_view text) const {
    const std::size_t accept = nodes_.size();
    States reached(accept + 1);
    States next(accept + 1);
    auto close = [&](States& states) {
        for (std::size_t i = 0; i < accept; ++i) {
            if (!states.test(i)) continue;
            const Kind kind = nodes_[i].kind;
            if (kind == Kind::Star || kind == Kind::AnyRun) states.set(i + 1);
            if (kind == Kind::SkipTwo) {
                states.set(i + 1);
                states.set(i + 3);
            }
        }
    };
    reached.set(0);
    close(reached);
    for (const char text_char : text) {
        const auto byte = static_cast<unsigned char>(text_char);
        next.clear();
        bool alive = false;
        for (std::size_t i = 0; i < accept; ++i) {
            if (!reached.test(i)) continue;
            const Node& node = nodes_[i];
            std::size_t to = i + 1;
            bool takes = false;
            switch (node.kind) {
                case Kind::Literal: takes = byte == node.byte; break;
                case Kind::AnyByte: takes = byte != '/'; break;
                case Kind::Class: takes = classes_[node.index].has(byte); break;
                case Kind::Star: takes = byte != '/'; to = i; break;
                case Kind::AnyRun: takes = true; to = i; break;
                case Kind::SkipTwo: break;
            }
            if (takes) {
                next.set(to);
                alive = true;
            }
        }
        if (!alive) return false;
        close(next);
        std::swap(reached, next);
    }
    return reached.test(accept);
}

bool PathPattern::matches_text(std::string_view text) const {
    if (!passes_literals(text)) return false;
    if (all_literal_) return true;
    constexpr std::size_t kWordBits = 64;
    return nodes_.size() < kWordBits ? run_automaton<WordStates>(text) : run_automaton<ByteStates>(text);
}

}  // namespace quorv::cli
