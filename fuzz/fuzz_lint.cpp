// The rules engine on clusters built straight from the fuzzer's bytes, past
// any reader: element symbols the tables know, nearly know and do not know,
// coordinates on a small grid (so that exact thresholds and duplicate
// positions are common) or raw doubles (NaN, infinities, huge, subnormal),
// and charge, multiplicity and oxidation state up to the 64-bit extremes.
// Every finding must carry a cluster code of the catalog, errors must come
// first, and the counts per code must fit the cluster. The indexed geometry
// rules must give exactly what their pairwise reference gives: the same
// findings, byte for byte, in the same order, and the index must hand on the
// close pairs in either of its shapes, as must the search for small
// molecules, which answers the other questions exactly too. The preview
// rules are held to the same counts, must give the same findings with and
// without their shortcuts, and report the strict rules' overlaps.
//
// The bytes are read front to back in a fixed layout, so that seeds can be
// written by hand (scripts/make_lint_seeds.py); a missing byte reads as 0.
//   flags        bit 0 charge, bit 1 multiplicity, bit 2 oxidation state
//                present, bit 3 a shape; bits 4-6 the number of ECP symbols
//   charge       integer, when present
//   multiplicity 0x00-0xfd the value, 0xfe four raw bytes, 0xff 2^32-1
//   oxidation    integer, when present
//   ECP symbols  symbol each
//   shape        when present: kind, atom count, seed (a byte each), then a
//                coordinate: atoms made by the kind (see `add_shape`)
//   atoms        symbol, x, y, z each, until the bytes (or kMostAtoms) run out
// integer: 0x00-0x07 an extreme, 0x08-0x0f eight raw bytes (little-endian),
//          else the byte minus 0x80
// symbol:  0xff a raw symbol (length byte mod 5, then the bytes), else a
//          dictionary entry (the byte mod its size)
// coordinate: 0x00-0x7f a grid step (low four bits) negated when bit 4 is
//          set; 0x80-0xaf the byte minus 0x98; 0xb0-0xbf two raw bytes, a
//          signed count of 1/256 Å; 0xc0-0xdf a special value (the byte mod
//          their number); 0xe0-0xff eight raw bytes, a double's bit pattern
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "lib/cluster.h"
#include "lib/catalog.h"
#include "lib/finding.h"
#include "lib/geometry/neighbour_grid.h"
#include "lib/geometry/pairwise_reference.h"
#include "lib/geometry/small_molecule_neighbours.h"
#include "lib/geometry/thresholds.h"
#include "lib/lint.h"
#include "lib/rules/preview/preview.h"

namespace {

// Enough atoms for crowded neighbourhoods and many overlaps, few enough that
// an execution, pairwise reference included, stays at a few milliseconds
// under the sanitizers.
constexpr std::size_t kMostAtoms = 300;
constexpr std::size_t kMostRawSymbolBytes = 4;
// Shapes whose every pair is a finding stay smaller, so that an execution
// with its pairwise reference stays short.
constexpr std::size_t kMostCrowdedAtoms = 40;

// Known symbols of every table, near misses (case, blanks, digits), the empty
// text and a few unknown ones.
constexpr std::array<std::string_view, 40> kSymbols = {
    "H",  "C",  "N",  "O",  "P",  "S",  "Cl", "Si", "F",  "Br", "I",  "Fe", "Co", "Ni",
    "Cu", "Zn", "Ag", "Cd", "Au", "Hg", "Pb", "Pt", "Ir", "Mn", "K",  "Na", "He", "D",
    "",   "fe", "FE", "CO", "h",  " O", "O ", "Fe1", "Xx", "Q", "In", "\xc3\x85",
};

// Coordinates that put the rules' thresholds (0.5, 1.5, 1.75, 1.95, 2.7) and
// their neighbours exactly between two atoms on one axis.
constexpr std::array<double, 16> kGridSteps = {
    0.0, 0.25, 0.5, 0.74, 1.0, 1.5, 1.75, 1.8, 1.95, 2.0, 2.7, 3.0, 0.3, 0.4, 0.96, 5.0,
};

// Non-finite, extreme and tiny values, and the edges of what a spatial
// index might place on its grid.
constexpr std::array<double, 16> kSpecialCoordinates = {
    std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::max(),
    -std::numeric_limits<double>::max(),
    std::numeric_limits<double>::denorm_min(),
    -std::numeric_limits<double>::denorm_min(),
    std::numeric_limits<double>::min(),
    -0.0,
    1e300,
    -1e300,
    1e154,  // its square is near the largest double
    1073741824.0,  // 2^30
    -1073741824.0,
    1e-150,
    1e-200,
};

constexpr std::array<std::int64_t, 8> kSpecialIntegers = {
    std::numeric_limits<std::int64_t>::min(),
    std::numeric_limits<std::int64_t>::max(),
    std::numeric_limits<std::int64_t>::min() + 1,
    std::numeric_limits<std::int64_t>::max() - 1,
    std::numeric_limits<std::int32_t>::min(),
    std::numeric_limits<std::int32_t>::max(),
    -(std::int64_t{1} << 53),
    std::int64_t{1} << 53,
};

void require(bool condition) {
    if (!condition) std::abort();
}

// The fuzzer's bytes, front to back; past the end every byte reads as 0.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return position_ >= size_; }

    std::uint8_t byte() { return empty() ? 0 : data_[position_++]; }

    std::uint64_t little_endian(int bytes) {
        std::uint64_t value = 0;
        for (int i = 0; i < bytes; ++i) value |= std::uint64_t{byte()} << (8 * i);
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

std::int64_t integer(ByteReader& input) {
    const std::uint8_t selector = input.byte();
    if (selector < 0x08) return kSpecialIntegers[selector];
    if (selector < 0x10) return static_cast<std::int64_t>(input.little_endian(8));
    return std::int64_t{selector} - 0x80;
}

std::uint32_t multiplicity(ByteReader& input) {
    const std::uint8_t selector = input.byte();
    if (selector == 0xff) return std::numeric_limits<std::uint32_t>::max();
    if (selector == 0xfe) return static_cast<std::uint32_t>(input.little_endian(4));
    return selector;
}

std::string symbol(ByteReader& input) {
    const std::uint8_t selector = input.byte();
    if (selector != 0xff) return std::string(kSymbols[selector % kSymbols.size()]);
    std::string raw(input.byte() % (kMostRawSymbolBytes + 1), '\0');
    for (char& c : raw) c = static_cast<char>(input.byte());
    return raw;
}

double coordinate(ByteReader& input) {
    const std::uint8_t selector = input.byte();
    if (selector < 0x80) {
        const double step = kGridSteps[selector & 0x0f];
        return (selector & 0x10) != 0 ? -step : step;
    }
    if (selector < 0xb0) return static_cast<double>(int{selector} - 0x98);
    if (selector < 0xc0) return static_cast<std::int16_t>(input.little_endian(2)) / 256.0;
    if (selector < 0xe0) return kSpecialCoordinates[selector % kSpecialCoordinates.size()];
    return std::bit_cast<double>(input.little_endian(8));
}

// A small deterministic generator, so that a shape is the same on every run.
class ShapeRandom {
public:
    explicit ShapeRandom(std::uint8_t seed) : state_(0x9E3779B97F4A7C15ULL * (seed + 1ULL)) {}
    double uniform(double low, double high) {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + (high - low) * static_cast<double>(state_ >> 11) * 0x1p-53;
    }

private:
    std::uint64_t state_;
};

// The shapes that stress a spatial index: fragments too far apart for a
// bounded grid, a water box stripped of its hydrogens (every oxygen bare,
// its nearest partner a few ångström away), coincident atoms, a cloud dense
// enough that most pairs overlap, atoms on a line, and runs of neighbouring
// doubles where coordinates are too large for a cell per ångström. The
// coordinate read last moves the shape or, for coincident atoms, is where
// they all stand.
void add_shape(ByteReader& input, std::vector<quorv::Atom>& atoms) {
    const std::uint8_t kind = input.byte();
    const std::size_t count = std::min<std::size_t>(input.byte(), kMostAtoms);
    ShapeRandom random(input.byte());
    const double where = coordinate(input);
    const auto add = [&](std::string_view element, double x, double y, double z) {
        atoms.push_back({std::string(element), x, y, z});
    };
    constexpr double kFarApart = 3e9;
    constexpr double kWaterVolume = 29.9;  // Å^3 per molecule
    constexpr double kDenseVolume = 1.0 / 38.0;
    switch (kind % 6) {
        case 0:  // far fragments: two water boxes 3e9 Å apart
            for (std::size_t i = 0; i + 3 <= count; i += 3) {
                const double side = std::cbrt(static_cast<double>(count) / 3 * kWaterVolume / 2);
                const double shift = i < count / 2 ? 0.0 : kFarApart;
                const double x = random.uniform(0, side) + shift, y = random.uniform(0, side) + where;
                const double z = random.uniform(0, side);
                add("O", x, y, z);
                add("H", x + 0.96, y, z);
                add("H", x - 0.24, y + 0.93, z);
            }
            return;
        case 1: {  // stripped hydrogens: oxygens alone at the density of water
            const double side = std::cbrt(static_cast<double>(count) * kWaterVolume);
            for (std::size_t i = 0; i < count; ++i) {
                add("O", random.uniform(0, side) + where, random.uniform(0, side), random.uniform(0, side));
            }
            return;
        }
        case 2:  // coincident atoms: every pair a finding, so fewer of them
            for (std::size_t i = 0; i < std::min(count, kMostCrowdedAtoms); ++i) add(i % 2 == 0 ? "H" : "C", where, where, -where);
            return;
        case 3: {  // a dense random cloud, most pairs overlapping
            const std::size_t crowd = std::min(count, 3 * kMostCrowdedAtoms);
            const double side = std::cbrt(static_cast<double>(crowd) * kDenseVolume);
            for (std::size_t i = 0; i < crowd; ++i) {
                add("He", random.uniform(0, side), random.uniform(0, side) + where, random.uniform(0, side));
            }
            return;
        }
        case 4: {  // a line along one axis, spacing around the thresholds
            const double spacing = random.uniform(0.2, 3.0);
            const int axis = static_cast<int>(random.uniform(0, 3));
            // So far out that the spacing is lost, the atoms coincide: fewer of them.
            const std::size_t atoms = where + spacing == where ? std::min(count, kMostCrowdedAtoms) : count;
            for (std::size_t i = 0; i < atoms; ++i) {
                const double along = where + spacing * static_cast<double>(i);
                add(i % 3 == 0 ? "O" : "H", axis == 0 ? along : 0.0, axis == 1 ? along : 0.0, axis == 2 ? along : 0.0);
            }
            return;
        }
        default: {  // neighbouring doubles where cells are keyed by rank, or 1e300 out
            const double start = random.uniform(0, 1) < 0.5 ? 0x1p52 : 1e300;
            for (std::size_t i = 0; i < count; ++i) {
                double x = start;
                for (int step = static_cast<int>(random.uniform(0, 4)); step > 0; --step) x = std::nextafter(x, 1e308);
                add(i % 2 == 0 ? "N" : "Fe", random.uniform(0, 1) < 0.5 ? -x : x, x, where);
            }
            return;
        }
    }
}

quorv::ClusterSpec cluster_from(ByteReader& input) {
    quorv::ClusterSpec spec;
    const std::uint8_t flags = input.byte();
    if ((flags & 0x01) != 0) spec.charge = integer(input);
    if ((flags & 0x02) != 0) spec.spin_multiplicity = multiplicity(input);
    if ((flags & 0x04) != 0) spec.metal_oxidation_state = integer(input);
    const int ecp_count = (flags >> 4) & 0x07;
    for (int i = 0; i < ecp_count; ++i) spec.ecp_elements.push_back(symbol(input));
    if ((flags & 0x08) != 0) add_shape(input, spec.atoms);
    while (!input.empty() && spec.atoms.size() < kMostAtoms) {
        quorv::Atom atom;
        atom.element = symbol(input);
        atom.x = coordinate(input);
        atom.y = coordinate(input);
        atom.z = coordinate(input);
        spec.atoms.push_back(std::move(atom));
    }
    return spec;
}

struct CodeCounts {
    std::size_t electron_count = 0;  // the four codes of the electron-count rules
    std::size_t bare_heteroatom = 0;
    std::size_t missing_hydrogens = 0;
    std::size_t metal_coordination = 0;
    std::size_t metal_spin_state = 0;
    std::size_t overlapping_atoms = 0;
    std::size_t unit_scale = 0;
};

// Counts the finding under its rule group; every finding must carry a
// cluster code and point only at atoms the cluster has.
void count(const quorv::Finding& finding, std::size_t atoms, CodeCounts& counts) {
    using quorv::Code;
    require(quorv::catalog_entry(finding.code()).input == quorv::RuleInput::Cluster);
    for (const std::uint64_t atom : finding.location().atoms()) require(atom < atoms);
    switch (finding.code()) {
        case Code::ElectronParityAbstain:
        case Code::ElectronCountNegative:
        case Code::SpinMultiplicityInvalid:
        case Code::ElectronParity: ++counts.electron_count; return;
        case Code::BareHeteroatom: ++counts.bare_heteroatom; return;
        case Code::MissingHydrogens: ++counts.missing_hydrogens; return;
        case Code::MetalUncoordinated:
        case Code::MetalLowCoordination: ++counts.metal_coordination; return;
        case Code::MetalSpinState: ++counts.metal_spin_state; return;
        case Code::OverlappingAtoms: ++counts.overlapping_atoms; return;
        case Code::UnitScale: ++counts.unit_scale; return;
        case Code::ConformerNoSeed:
        case Code::ConformerExplicitRandom:
        case Code::UnusedNoqa: break;
    }
    std::abort();
}

void check_findings(const quorv::ClusterSpec& spec, const std::vector<quorv::Finding>& findings) {
    const std::size_t atoms = spec.atoms.size();
    CodeCounts counts;
    bool warnings_started = false;
    for (const quorv::Finding& finding : findings) {
        count(finding, atoms, counts);
        require(!finding.message().empty());
        const bool is_warning = finding.severity() == quorv::Severity::Warning;
        require(!warnings_started || is_warning);  // errors first
        warnings_started = is_warning;
    }
    // The electron-count rules always say exactly one thing when they cannot run.
    const bool undeclared = !spec.charge || !spec.spin_multiplicity;
    require(counts.electron_count <= 1);
    require(!undeclared || counts.electron_count == 1);
    require(counts.bare_heteroatom <= atoms);
    require(counts.missing_hydrogens <= 1);
    require(counts.metal_coordination <= atoms);
    require(counts.metal_spin_state <= 1);
    require(counts.overlapping_atoms <= atoms * (atoms - (atoms > 0 ? 1 : 0)) / 2);
    require(counts.unit_scale <= 1);
}

void require_same(const std::vector<quorv::Finding>& findings, const std::vector<quorv::Finding>& reference) {
    require(findings.size() == reference.size());
    for (std::size_t i = 0; i < findings.size(); ++i) {
        require(findings[i].code() == reference[i].code());
        require(findings[i].message() == reference[i].message());
        const auto atoms = findings[i].location().atoms();
        const auto reference_atoms = reference[i].location().atoms();
        require(std::equal(atoms.begin(), atoms.end(), reference_atoms.begin(), reference_atoms.end()));
    }
}

// A small molecule's search answers every question of the rules exactly as
// the reference does: close pairs in order, neighbour counts, nearest
// distances, bit for bit.
void require_small_molecule_as_reference(const quorv::ClusterSpec& spec) {
    using namespace quorv::geometry;
    if (spec.atoms.size() > SmallMoleculeNeighbours::kMostAtoms) return;
    const SmallMoleculeNeighbours small(spec.atoms);
    for (const double limit : {kOverlapDistance, kCoordinationRadius}) {
        const std::vector<AtomPair> expected = pairwise::pairs_closer_than(spec.atoms, limit);
        std::size_t reported = 0;
        small.report_pairs_closer_than(limit, [&](const AtomPair& pair) {
            require(reported < expected.size());
            const AtomPair& reference = expected[reported++];
            require(pair.first == reference.first && pair.second == reference.second);
            require(std::bit_cast<std::uint64_t>(pair.distance) == std::bit_cast<std::uint64_t>(reference.distance));
        });
        require(reported == expected.size());
    }
    for (std::size_t i = 0; i < spec.atoms.size(); ++i) {
        const double nearest = pairwise::nearest_distance(spec.atoms, i);
        require(std::bit_cast<std::uint64_t>(small.nearest_distance(i)) == std::bit_cast<std::uint64_t>(nearest));
        require(std::min(small.nearest_distance_below(i, kUnitScaleThreshold), kUnitScaleThreshold) ==
                std::min(nearest, kUnitScaleThreshold));
        const std::size_t neighbours = pairwise::count_neighbours_within(spec.atoms, i, kCoordinationRadius);
        require(small.count_neighbours_within(i, kCoordinationRadius, spec.atoms.size()) == neighbours);
        require(small.has_neighbour_within(i, kCoordinationRadius) == (neighbours > 0));
    }
}

// The spatial index in either shape hands on the close pairs exactly as the
// reference lists them, one by one; lint() itself uses the shape that fits.
void require_pairs_as_reference(const quorv::ClusterSpec& spec) {
    using namespace quorv::geometry;
    const std::vector<AtomPair> expected = pairwise::pairs_closer_than(spec.atoms, kOverlapDistance);
    for (const GridShape shape : {GridShape::Dense, GridShape::Sparse}) {
        std::size_t reported = 0;
        NeighbourGrid(spec.atoms, 1.0, shape).report_pairs_closer_than(kOverlapDistance, [&](const AtomPair& pair) {
            require(reported < expected.size());
            const AtomPair& reference = expected[reported++];
            require(pair.first == reference.first && pair.second == reference.second);
            require(std::bit_cast<std::uint64_t>(pair.distance) == std::bit_cast<std::uint64_t>(reference.distance));
        });
        require(reported == expected.size());
    }
}

std::vector<quorv::Finding> overlaps(const std::vector<quorv::Finding>& findings) {
    std::vector<quorv::Finding> kept;
    for (const quorv::Finding& finding : findings) {
        if (finding.code() == quorv::Code::OverlappingAtoms) kept.push_back(finding);
    }
    return kept;
}

std::vector<quorv::Finding> preview(const quorv::ClusterSpec& spec, quorv::PreviewShortcuts shortcuts) {
    quorv::FindingList list;
    quorv::lint_preview(spec, quorv::PreviewTolerances{}, list, shortcuts);
    return std::move(list.findings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader input(data, size);
    const quorv::ClusterSpec spec = cluster_from(input);
    const std::vector<quorv::Finding> findings = quorv::lint(spec);
    check_findings(spec, findings);
    for (const quorv::Finding& finding : findings) {
        require(quorv::catalog_entry(finding.code()).stability == quorv::Stability::Stable);
    }
    require_same(findings, quorv::geometry::pairwise::lint(spec));
    require_pairs_as_reference(spec);
    require_small_molecule_as_reference(spec);

    const std::vector<quorv::Finding> previewed = preview(spec, quorv::PreviewShortcuts::ListedNeighbours);
    check_findings(spec, previewed);
    require_same(previewed, preview(spec, quorv::PreviewShortcuts::None));
    require_same(overlaps(previewed), overlaps(findings));
    return 0;
}
