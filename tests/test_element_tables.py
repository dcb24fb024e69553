"""The generated table of every element (src/lib/periodic_table.inc) against the packages it
was generated from: ASE's symbols and covalent radii, and the def2 ECP cores of the Basis Set
Exchange. The preview rules read it; the strict rules keep their own fixed tables."""
import re
import subprocess
import sys
from pathlib import Path

import basis_set_exchange
import pytest
from ase.data import chemical_symbols, covalent_radii

ROOT = Path(__file__).resolve().parent.parent
TABLE = (ROOT / "src" / "lib" / "periodic_table.inc").read_text(encoding="utf-8")
ROWS = [(symbol, float(radius), int(core)) for symbol, radius, core in
        re.findall(r'\{"([A-Z][a-z]?)", ([0-9.]+), (\d+)\}', TABLE)]
DEF2 = basis_set_exchange.get_basis("def2-SVP")["elements"]


def test_one_row_per_element_in_order_of_atomic_number():
    assert [symbol for symbol, _, _ in ROWS] == chemical_symbols[1:119]


def test_radii_and_cores_are_the_packages():
    assert [(symbol, radius, core) for symbol, radius, core in ROWS] == [
        (chemical_symbols[z], pytest.approx(float(covalent_radii[z]), abs=1e-9),
         DEF2.get(str(z), {}).get("ecp_electrons", 0))
        for z in range(1, 119)
    ]


def test_the_strict_ecp_cores_are_def2_cores():
    strict = {"I": 28, "Ag": 28, "Cd": 28, "Au": 60, "Hg": 60, "Pb": 60}
    assert {symbol: core for symbol, _, core in ROWS if symbol in strict} == strict


def test_the_table_names_its_sources():
    sources = re.search(r'kElementTableSources\[\] = "([^"]+)"', TABLE).group(1)
    assert re.fullmatch(r"ase [0-9.]+, basis_set_exchange [0-9.]+", sources)


def test_the_generator_writes_the_committed_table():
    result = subprocess.run([sys.executable, str(ROOT / "scripts" / "gen_element_tables.py"), "--check"],
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
