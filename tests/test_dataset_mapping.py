"""How a data set's charge and multiplicity are read: fields, presets, SMILES charges."""
import pytest

from quorv_lint_datasets.mapping import Field, mapping_for
from quorv_lint_datasets.smiles import smiles_charge


@pytest.mark.parametrize("smiles, charge", [
    ("CCO", 0),
    ("[NH4+]", 1),
    ("[O-]C(=O)C", -1),
    ("[Fe+2]", 2),
    ("[Fe++]", 2),
    ("[Co-3]", -3),
    ("[NH3+:1]CC(=O)[O-:2]", 0),       # a zwitterion, with atom-map numbers
    ("[2H]C([2H])([2H])[C@@H](N)O", 0),  # isotopes and chirality are not charges
    ("[Na+].[Cl-]", 0),
    ("C[N+](C)(C)C.[Br-].[Mg+2]", 2),
])
def test_the_smiles_charge_is_the_sum_of_the_bracket_atoms_formal_charges(smiles, charge):
    assert smiles_charge(smiles) == charge


@pytest.mark.parametrize("text, raw, value", [
    ("none", 5, None),
    ("0", None, 0),
    ("-2", "anything", -2),
    ("charge", 3, 3),
    ("charge", None, None),
    ("charge", 1.0, 1),
    ("charge", 1.5, None),       # not an integer: absent, so the parity rule abstains
    ("charge", "x", None),
    ("charge", True, None),
    ("charge", b"-1", -1),
    ("spin", [2], 2),
    ("unpaired:spin", 1, 2),     # 2S = 1: a doublet
    ("smiles:smiles", [b"[NH4+]"], 1),
])
def test_a_field_reads_a_frames_value(text, raw, value):
    assert Field.parse(text).value_from(raw) == value


@pytest.mark.parametrize("text", ["", "smiles:", "other:thing", "a:b:c"])
def test_a_field_that_cannot_be_read_is_refused(text):
    with pytest.raises(ValueError):
        Field.parse(text)


@pytest.mark.parametrize("preset, kind, units, charge, multiplicity", [
    (None, "xyz", "angstrom", "none", "none"),
    ("spice", "hdf5", "bohr", "smiles:smiles", "1"),
    ("ani", "hdf5", "angstrom", "0", "1"),
    ("omol25", "ase", "angstrom", "charge", "spin"),
    ("qm9", "xyz", "angstrom", "0", "1"),
])
def test_presets_state_the_layouts_conventions(preset, kind, units, charge, multiplicity):
    mapping = mapping_for(preset, kind)
    assert (mapping.units, str(mapping.charge), str(mapping.multiplicity)) == (units, charge, multiplicity)


def test_overrides_change_a_preset_and_unknown_names_are_refused():
    assert mapping_for("spice", "hdf5", units="angstrom").scale == 1.0
    assert mapping_for("spice", "hdf5").scale == pytest.approx(0.529177, abs=1e-6)
    with pytest.raises(ValueError, match="unknown preset"):
        mapping_for("spicy", "hdf5")
    with pytest.raises(ValueError, match="unknown unit"):
        mapping_for(None, "xyz", units="furlong")
    # SPICE's bohr must not shrink the frames of an XYZ file linted in the same run.
    with pytest.raises(ValueError, match="preset 'spice' is for hdf5 sources, not xyz"):
        mapping_for("spice", "xyz")
