"""Where a data set keeps charge and multiplicity, what unit its coordinates are in,
and the presets for the layouts users meet most."""
from __future__ import annotations

import dataclasses
import re
from typing import Optional, Union

from .smiles import smiles_charge

ANGSTROM_PER_UNIT = {
    "angstrom": 1.0,
    "bohr": 0.529177210903,  # CODATA 2018
    "nm": 10.0,
}


@dataclasses.dataclass(frozen=True)
class Field:
    """One per-frame integer: absent, a constant, or read from a key.

    Written as text: ``none``, an integer such as ``0``, a key ``NAME``,
    ``smiles:NAME`` (the sum of the formal charges of the SMILES in NAME) or
    ``unpaired:NAME`` (NAME holds 2S, the multiplicity is NAME + 1).
    """
    kind: str  # "none", "constant", "key", "smiles", "unpaired"
    key: str = ""
    value: int = 0

    @classmethod
    def parse(cls, text: str) -> "Field":
        text = text.strip()
        if text.lower() == "none":
            return cls("none")
        if re.fullmatch(r"[+-]?\d+", text):
            return cls("constant", value=int(text))
        prefix, sep, key = text.partition(":")
        if sep and prefix in ("smiles", "unpaired") and key:
            return cls(prefix, key=key)
        if not text or sep:
            raise ValueError(f"not a field: {text!r} (none, an integer, NAME, smiles:NAME or unpaired:NAME)")
        return cls("key", key=text)

    def __str__(self) -> str:
        if self.kind == "none":
            return "none"
        if self.kind == "constant":
            return str(self.value)
        return self.key if self.kind == "key" else f"{self.kind}:{self.key}"

    def value_from(self, raw) -> Optional[int]:
        """The integer for a frame whose key holds `raw` (None when the key is missing)."""
        if self.kind == "none":
            return None
        if self.kind == "constant":
            return self.value
        if raw is None:
            return None
        if self.kind == "smiles":
            return smiles_charge(_as_text(raw))
        value = _as_int(raw)
        if value is None:
            return None
        return value + 1 if self.kind == "unpaired" else value


def _as_text(raw) -> str:
    if hasattr(raw, "tolist"):
        raw = raw.tolist()
    while isinstance(raw, (list, tuple)) and len(raw) == 1:
        raw = raw[0]
    return raw.decode("utf-8") if isinstance(raw, bytes) else str(raw)


def _as_int(raw) -> Optional[int]:
    """An integral number as int; None for anything else (1.5, "x", NaN)."""
    if hasattr(raw, "tolist"):
        raw = raw.tolist()
    while isinstance(raw, (list, tuple)) and len(raw) == 1:
        raw = raw[0]
    if isinstance(raw, bool):
        return None
    if isinstance(raw, int):
        return raw
    if isinstance(raw, float) and raw.is_integer():
        return int(raw)
    if isinstance(raw, (str, bytes)):
        text = raw.decode() if isinstance(raw, bytes) else raw
        return int(text) if re.fullmatch(r"\s*[+-]?\d+\s*", text) else None
    return None


@dataclasses.dataclass(frozen=True)
class Mapping:
    """How to read charge, multiplicity, elements, positions and units from a source.

    For XYZ files the comment line's charge and multiplicity come first and a
    constant here only fills in what a frame's comment line lacks.
    """
    charge: Field = Field("none")
    multiplicity: Field = Field("none")
    units: str = "angstrom"
    # HDF5 dataset names, tried in order.
    elements: tuple = ("atomic_numbers", "species")
    positions: tuple = ("coordinates", "conformations")

    def __post_init__(self):
        if self.units not in ANGSTROM_PER_UNIT:
            raise ValueError(f"unknown unit {self.units!r}: one of {', '.join(ANGSTROM_PER_UNIT)}")

    @property
    def scale(self) -> float:
        return ANGSTROM_PER_UNIT[self.units]

    def with_changes(self, **changes) -> "Mapping":
        return dataclasses.replace(self, **{k: v for k, v in changes.items() if v is not None})


_F = Field.parse

# Each preset is for one kind of source; its mapping is wrong for the others
# (SPICE's bohr would shrink an XYZ file's frames).
PRESETS = {
    # Charge and multiplicity as the comment line states them (charge=, mult=, a bare pair).
    "xyz": ("xyz", Mapping()),
    # MACE-style extended XYZ: total_charge= is found by the comment-line rules.
    "mace": ("xyz", Mapping()),
    # QM9's comment line is a property row; the molecules are neutral closed-shell.
    "qm9": ("xyz", Mapping(charge=_F("0"), multiplicity=_F("1"))),
    # Any HDF5 file with one group per molecule.
    "hdf5": ("hdf5", Mapping()),
    # ANI-1x/2x store no charge or multiplicity: neutral singlets, ångström.
    "ani": ("hdf5", Mapping(charge=_F("0"), multiplicity=_F("1"), elements=("species", "atomic_numbers"),
                            positions=("coordinates",))),
    # SPICE: coordinates in bohr, the charge only in the SMILES' formal charges,
    # closed-shell molecules.
    "spice": ("hdf5", Mapping(charge=_F("smiles:smiles"), multiplicity=_F("1"), units="bohr",
                              elements=("atomic_numbers",), positions=("conformations",))),
    # Any ASE database: keys named as ASE users usually name them.
    "ase": ("ase", Mapping(charge=_F("charge"), multiplicity=_F("multiplicity"))),
    # OMol25: charge and spin (which is the multiplicity 2S+1) beside each row.
    "omol25": ("ase", Mapping(charge=_F("charge"), multiplicity=_F("spin"))),
}

# The preset a source kind uses when none is named.
DEFAULT_PRESET = {"xyz": "xyz", "hdf5": "hdf5", "ase": "ase"}


def mapping_for(preset: Optional[str], kind: str, **changes: Union[str, Field, tuple, None]) -> Mapping:
    """The named preset (or the kind's own) with `changes`; a preset of another kind is refused."""
    name = preset or DEFAULT_PRESET[kind]
    if name not in PRESETS:
        raise ValueError(f"unknown preset {name!r}: one of {', '.join(PRESETS)}")
    preset_kind, mapping = PRESETS[name]
    if preset_kind != kind:
        raise ValueError(f"preset {name!r} is for {preset_kind} sources, not {kind}: lint those shards apart")
    return mapping.with_changes(**changes)
