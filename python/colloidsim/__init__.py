"""Readers and figures for the files colloidsim writes.

    from colloidsim import read_flux, read_trajectory, read_run
    run = read_run("runs/favorable")
    run.flux["ATTACHK"]            # fates, one per finished particle
    run.trajectory(3).rows["H"]     # separations of particle 3's recorded steps

Figures: python3 -m colloidsim.plot DIR [-o FILE].
"""

from . import summary
from .readers import (
    ATTACHED_FATES,
    FAMILIES,
    FAMILY_OF_FATE,
    FATE_TABLE,
    FATES,
    RETAINED_FATES,
    FateFacts,
    FluxFile,
    Run,
    RunFileError,
    Trajectory,
    read_flux,
    read_run,
    read_trajectory,
)

__all__ = [
    "ATTACHED_FATES", "FAMILIES", "FAMILY_OF_FATE", "FATE_TABLE", "FATES", "FateFacts",
    "FluxFile", "RETAINED_FATES", "Run", "RunFileError", "Trajectory", "read_flux", "read_run",
    "read_trajectory", "summary",
]
