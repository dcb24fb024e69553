// The rule catalog: every finding code, the severity it always carries and
// the templates of its messages, written here and nowhere else. Findings are
// made only through the typed message handles at the end of this file, whose
// holes are checked against their arguments when the program is compiled.
// The command's code list, its SARIF rules and --explain, the fuzz targets
// and the tests all read the codes from this table.
//
// A code's templates hold the strict rules' messages first; the preview rule
// set (lib/lint.h) adds its own after them where its wording differs, naming
// the threshold it judged by.
//
// Holes in a template: "{}" an unsigned or signed integer or a text, "{:+}"
// a signed integer with its sign always written, "{:.2}" and "{:.3}" a real
// number in fixed point with two or three decimals (+inf prints as "inf").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorv {

// Errors sort before warnings.
enum class Severity : std::uint8_t { Error, Warning };

constexpr std::string_view severity_text(Severity severity) {
    return severity == Severity::Error ? "error" : "warning";
}

// What a code's rule reads: a cluster, Python source, or the suppressions
// the command reads around them (the module never reports those codes).
enum class RuleInput : std::uint8_t { Cluster, Source, Suppression };

// How a message starts: with nothing the finding's location says, or with
// "line {}: " and the location's line (which a front end that shows the line
// apart from the message may leave out).
enum class MessageLead : std::uint8_t { None, Line };

// Which rule sets emit a code: every one, or only the preview rules.
enum class Stability : std::uint8_t { Stable, Preview };

enum class Code : std::uint8_t {
    ElectronParityAbstain,
    ElectronCountNegative,
    SpinMultiplicityInvalid,
    ElectronParity,
    MetalSpinState,
    BareHeteroatom,
    MissingHydrogens,
    MetalUncoordinated,
    MetalLowCoordination,
    OverlappingAtoms,
    UnitScale,
    ConformerNoSeed,
    ConformerExplicitRandom,
    UnusedNoqa,
};

inline constexpr std::size_t kMostTemplatesPerCode = 4;

struct CodeEntry {
    Code code;
    std::string_view name;
    Severity severity;
    RuleInput input;
    MessageLead lead;
    std::array<std::string_view, kMostTemplatesPerCode> templates;
    Stability stability = Stability::Stable;
};

// In the order the command lists them: cluster rules in the engine's order,
// then the source rules, then the command's own.
inline constexpr std::array<CodeEntry, 14> kCatalog{{
    {Code::ElectronParityAbstain, "electron-parity-abstain", Severity::Warning, RuleInput::Cluster, MessageLead::None,
     {"electron parity not checked: charge and/or spin multiplicity not provided (a bare geometry omits them). "
      "Declare both to enable it.",
      "electron count not verified: unknown atomic number for {}",
      "electron parity not verified: unknown ECP core for {} \u2014 declare it or verify by hand",
      // preview
      "electron parity not verified: the def2 ECPs have no core for {} \u2014 verify the core by hand"}},
    {Code::ElectronCountNegative, "electron-count-negative", Severity::Error, RuleInput::Cluster, MessageLead::None,
     {"electron count is negative ({}): charge or ECP setup is wrong"}},
    {Code::SpinMultiplicityInvalid, "spin-multiplicity-invalid", Severity::Error, RuleInput::Cluster,
     MessageLead::None, {"spin multiplicity must be \u2265 1, got {}"}},
    {Code::ElectronParity, "electron-parity", Severity::Error, RuleInput::Cluster, MessageLead::None,
     {"impossible state: {} electrons with multiplicity {}. N and (M\u22121) must share parity \u2014 (N+M) must be "
      "odd, here it is even. Most common cause: forgotten ECP core subtraction or wrong formal charge."}},
    {Code::MetalSpinState, "metal-spin-state", Severity::Error, RuleInput::Cluster, MessageLead::None,
     {"{}{:+} is a closed-shell d\u00b9\u2070 cation and must be a singlet (M=1), but multiplicity {} was declared."}},
    {Code::BareHeteroatom, "bare-heteroatom", Severity::Error, RuleInput::Cluster, MessageLead::None,
     {"atom {} ({}) has no bonding partner within {:.2} \u00c5 (nearest is {:.2} \u00c5). Likely a bare oxygen / "
      "missing hydrogens / a fragment cut through a bond.",
      // preview: the distance within which the pair named would be bonded
      "atom {} ({}) has no bonding partner within {:.2} \u00c5 ({}; nearest is {:.2} \u00c5). Likely a bare atom / "
      "missing hydrogens / a fragment cut through a bond."}},
    {Code::MissingHydrogens, "missing-hydrogens", Severity::Warning, RuleInput::Cluster, MessageLead::None,
     {"atom {} ({}) and {} more C, N or O atoms have fewer bonds than their valence: their bond orders, estimated "
      "from the bond lengths, fall {:.2} short in all, and the declared charge and multiplicity explain {}. "
      "Hydrogens are likely missing (a structure from a crystal or PDB file, or a fragment cut without capping).",
      "atom {} ({}) has fewer bonds than its valence: its bond orders, estimated from the bond lengths, fall {:.2} "
      "short, and the declared charge and multiplicity explain {}. Hydrogens are likely missing (a structure from a "
      "crystal or PDB file, or a fragment cut without capping)."},
     Stability::Preview},
    // The 2.7 is the coordination radius written out, not a formatted value.
    {Code::MetalUncoordinated, "metal-uncoordinated", Severity::Error, RuleInput::Cluster, MessageLead::None,
     {"metal {} (atom {}) has no neighbour within 2.7 \u00c5 \u2014 it is floating",
      // preview
      "metal {} (atom {}) has no neighbour within {:.2} \u00c5 ({}; nearest is {:.2} \u00c5) \u2014 it is floating"}},
    {Code::MetalLowCoordination, "metal-low-coordination", Severity::Warning, RuleInput::Cluster, MessageLead::None,
     {"metal {} (atom {}) has coordination 1 \u2014 verify this is intended",
      // preview
      "metal {} (atom {}) has coordination 1 (one neighbour within {:.2} \u00c5, {}) \u2014 verify this is "
      "intended"}},
    {Code::OverlappingAtoms, "overlapping-atoms", Severity::Error, RuleInput::Cluster, MessageLead::None,
     {"atoms {} ({}) and {} ({}) are {:.3} \u00c5 apart \u2014 below any real bond (H\u2013H is 0.74 \u00c5). Likely a "
      "duplicated atom or a coordinate error."}},
    // The "0.529" is fixed text; the converted value uses the full factor.
    {Code::UnitScale, "unit-scale", Severity::Warning, RuleInput::Cluster, MessageLead::None,
     {"closest hydrogen bond is {:.2} \u00c5 \u2014 longer than any real X\u2013H bond (~1.0 \u00c5). The geometry is "
      "likely in Bohr (\u00d70.529 \u2192 {:.2} \u00c5), not the \u00c5ngstr\u00f6m this tool assumes. Convert the "
      "coordinates, or verify the units.",
      // preview: no hydrogen is within the bond reach of any partner
      "closest hydrogen bond is {:.2} \u00c5 ({}) \u2014 longer than {:.2} \u00c5, the most that pair bonds within, "
      "and no hydrogen is bonded. The geometry is likely in Bohr (\u00d70.529 \u2192 {:.2} \u00c5), not the "
      "\u00c5ngstr\u00f6m this tool assumes. Convert the coordinates, or verify the units."}},
    {Code::ConformerNoSeed, "conformer-no-seed", Severity::Error, RuleInput::Source, MessageLead::Line,
     {"line {}: {}(...) has no fixed randomSeed \u2014 the embedding is nondeterministic and the 3D geometry (and every "
      "descriptor computed on it) changes each run. Set params.randomSeed to a fixed value."}},
    {Code::ConformerExplicitRandom, "conformer-explicit-random", Severity::Warning, RuleInput::Source,
     MessageLead::Line,
     {"line {}: {}(...) sets randomSeed=-1, which is explicitly nondeterministic. Use a fixed nonnegative seed for "
      "reproducibility."}},
    // Reported by the command, when asked, about its own suppression comments and keys.
    {Code::UnusedNoqa, "unused-noqa", Severity::Warning, RuleInput::Suppression, MessageLead::None,
     {"unused suppression: no {} finding here to silence",
      "unused suppression: nothing here for a bare noqa to silence",
      "the suppression names '{}', which is no code (quorv-lint --list-codes lists the codes)"}},
}};

constexpr const CodeEntry& catalog_entry(Code code) { return kCatalog[static_cast<std::size_t>(code)]; }

// The text every message of a MessageLead::Line code starts with.
inline constexpr std::string_view kLineLead = "line {}: ";

namespace catalog_checks {

consteval bool rows_in_code_order() {
    for (std::size_t i = 0; i < kCatalog.size(); ++i) {
        if (static_cast<std::size_t>(kCatalog[i].code) != i) return false;
    }
    return true;
}

consteval bool names_unique() {
    for (std::size_t i = 0; i < kCatalog.size(); ++i) {
        for (std::size_t j = i + 1; j < kCatalog.size(); ++j) {
            if (kCatalog[i].name == kCatalog[j].name) return false;
        }
    }
    return true;
}

consteval bool leads_written_out() {
    for (const CodeEntry& entry : kCatalog) {
        for (const std::string_view& text : entry.templates) {
            if (entry.lead == MessageLead::Line && !text.empty() && !text.starts_with(kLineLead)) return false;
        }
    }
    return true;
}

static_assert(rows_in_code_order(), "catalog rows must follow the order of Code");
static_assert(names_unique(), "every code name must be unique");
static_assert(leads_written_out(), "a MessageLead::Line template must start with \"line {}: \"");

}  // namespace catalog_checks

// What a hole of a template takes, and what an argument gives.
enum class ArgKind : std::uint8_t { Unsigned, Signed, Real, Text };

template <typename T>
consteval ArgKind arg_kind_of() {
    if constexpr (std::is_same_v<T, std::uint64_t>) return ArgKind::Unsigned;
    else if constexpr (std::is_same_v<T, std::int64_t>) return ArgKind::Signed;
    else if constexpr (std::is_same_v<T, double>) return ArgKind::Real;
    else {
        static_assert(std::is_same_v<T, std::string_view>, "message arguments are u64, i64, double or text");
        return ArgKind::Text;
    }
}

// The kinds of hole a template uses ("{}", "{:+}", "{:.2}", "{:.3}"), and
// which argument kinds each accepts.
enum class HoleSpec : std::uint8_t { Plain, Signed, Fixed2, Fixed3 };

constexpr bool hole_accepts(HoleSpec spec, ArgKind kind) {
    switch (spec) {
        case HoleSpec::Plain: return kind != ArgKind::Real;
        case HoleSpec::Signed: return kind == ArgKind::Signed;
        case HoleSpec::Fixed2:
        case HoleSpec::Fixed3: return kind == ArgKind::Real;
    }
    return false;
}

// The spec of a hole that starts at text[pos] ("{" ... "}"), and its length;
// length 0 when no hole starts there.
struct Hole {
    HoleSpec spec;
    std::size_t length;
};

constexpr Hole hole_at(std::string_view text, std::size_t pos) {
    constexpr std::array<std::pair<std::string_view, HoleSpec>, 4> kHoles{{
        {"{}", HoleSpec::Plain}, {"{:+}", HoleSpec::Signed}, {"{:.2}", HoleSpec::Fixed2}, {"{:.3}", HoleSpec::Fixed3},
    }};
    for (const auto& [written, spec] : kHoles) {
        if (text.substr(pos).starts_with(written)) return {spec, written.size()};
    }
    return {HoleSpec::Plain, 0};
}

// Which template of which code a finding's message is.
struct MessageId {
    Code code;
    std::uint8_t template_index;
};

constexpr std::string_view template_text(MessageId id) {
    return catalog_entry(id.code).templates[id.template_index];
}

// A handle on one template, typed by the arguments it takes. It can only be
// made when the template exists and every hole fits its argument, in order.
template <typename... Args>
class Message {
public:
    consteval Message(Code code, std::uint8_t template_index) : id_{code, template_index} {
        if (template_index >= kMostTemplatesPerCode || template_text(id_).empty()) {
            throw "no such message template in the catalog";
        }
        constexpr std::array<ArgKind, sizeof...(Args)> kinds{arg_kind_of<Args>()...};
        const std::string_view text = template_text(id_);
        std::size_t used = 0;
        for (std::size_t pos = 0; pos < text.size(); ++pos) {
            if (text[pos] == '{') {
                const Hole hole = hole_at(text, pos);
                if (hole.length == 0) throw "a '{' in a template must start a hole";
                if (used == kinds.size() || !hole_accepts(hole.spec, kinds[used])) {
                    throw "a template's holes do not fit its message's arguments";
                }
                ++used;
                pos += hole.length - 1;
            } else if (text[pos] == '}') {
                throw "a '}' in a template must end a hole";
            }
        }
        if (used != kinds.size()) throw "a template has fewer holes than its message has arguments";
    }

    constexpr MessageId id() const { return id_; }

private:
    MessageId id_;
};

// Every message a rule can produce.
namespace messages {
using Index = std::uint64_t;
using Text = std::string_view;

inline constexpr Message<> kChargeOrMultiplicityMissing{Code::ElectronParityAbstain, 0};
inline constexpr Message<Text> kUnknownAtomicNumber{Code::ElectronParityAbstain, 1};
inline constexpr Message<Text> kUnknownEcpCore{Code::ElectronParityAbstain, 2};
inline constexpr Message<Text> kNegativeElectronCount{Code::ElectronCountNegative, 0};
inline constexpr Message<Index> kMultiplicityZero{Code::SpinMultiplicityInvalid, 0};
inline constexpr Message<Text, Index> kImpossibleParity{Code::ElectronParity, 0};
inline constexpr Message<Text, std::int64_t, Index> kClosedShellNotSinglet{Code::MetalSpinState, 0};
inline constexpr Message<Index, Text, double, double> kBareHeteroatom{Code::BareHeteroatom, 0};
inline constexpr Message<Text, Index> kMetalUncoordinated{Code::MetalUncoordinated, 0};
inline constexpr Message<Text, Index> kMetalLowCoordination{Code::MetalLowCoordination, 0};
inline constexpr Message<Index, Text, Index, Text, double> kOverlappingAtoms{Code::OverlappingAtoms, 0};
inline constexpr Message<double, double> kUnitScale{Code::UnitScale, 0};

// The preview rule set's own wording.
inline constexpr Message<Text> kNoDef2EcpCore{Code::ElectronParityAbstain, 3};
inline constexpr Message<Index, Text, double, Text, double> kBareAtomWithinPairReach{Code::BareHeteroatom, 1};
inline constexpr Message<Index, Text, Index, double, Index> kMissingHydrogens{Code::MissingHydrogens, 0};
inline constexpr Message<Index, Text, double, Index> kMissingHydrogensOfOneAtom{Code::MissingHydrogens, 1};
inline constexpr Message<Text, Index, double, Text, double> kMetalUncoordinatedWithinPairReach{
    Code::MetalUncoordinated, 1};
inline constexpr Message<Text, Index, double, Text> kMetalLowCoordinationWithinPairReach{
    Code::MetalLowCoordination, 1};
inline constexpr Message<double, Text, double, double> kUnitScaleBeyondPairReach{Code::UnitScale, 1};
inline constexpr Message<Index, Text> kConformerNoSeed{Code::ConformerNoSeed, 0};
inline constexpr Message<Index, Text> kConformerExplicitRandom{Code::ConformerExplicitRandom, 0};

// The command's own, about suppressions.
inline constexpr Message<Text> kUnusedNoqaCode{Code::UnusedNoqa, 0};
inline constexpr Message<> kUnusedBareNoqa{Code::UnusedNoqa, 1};
inline constexpr Message<Text> kUnknownNoqaCode{Code::UnusedNoqa, 2};
}  // namespace messages

}  // namespace quorv
