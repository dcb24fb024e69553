"""Every finding code with the severity it always carries, in the order the tool lists them."""

CODES = {
    "electron-parity-abstain": "warning", "electron-count-negative": "error",
    "spin-multiplicity-invalid": "error", "electron-parity": "error", "metal-spin-state": "error",
    "bare-heteroatom": "error", "metal-uncoordinated": "error", "metal-low-coordination": "warning",
    "overlapping-atoms": "error", "unit-scale": "warning", "conformer-no-seed": "error",
    "conformer-explicit-random": "warning",
}
