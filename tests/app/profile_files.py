"""Profiles for the tests that run the whole program: a data directory with one profile."""
import os
import shutil

# A tav.cfg of default values as the program writes it (a test of app_gui_tests keeps the
# two alike). A profile without one opens the configuration dialog at start.
CONFIGURED = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data",
                          "configured_tav.cfg")


def make_profile(root, name="hero", configured=True):
    """Lists `name` in profiles.cfg and makes its directory, with a tav.cfg when
    `configured`; returns the profile directory."""
    with open(os.path.join(root, "profiles.cfg"), "wb") as f:
        f.write(name.encode() + b"\r\n")
    profile = os.path.join(root, "profiles", name)
    os.makedirs(profile)
    if configured:
        shutil.copyfile(CONFIGURED, os.path.join(profile, "tav.cfg"))
    return profile
