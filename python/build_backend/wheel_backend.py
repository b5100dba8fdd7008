"""Builds the colloidsim wheel with the standard library alone.

pip calls these hooks (PEP 517) when it installs ./python. The wheel holds the
colloidsim package as it stands and the metadata of pyproject.toml.
"""

import base64
import hashlib
import os
import tomllib
import zipfile

HERE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def _project():
    with open(os.path.join(HERE, "pyproject.toml"), "rb") as f:
        return tomllib.load(f)["project"]


def _metadata(project):
    lines = ["Metadata-Version: 2.1", f"Name: {project['name']}", f"Version: {project['version']}",
             f"Summary: {project['description']}",
             f"Requires-Python: {project['requires-python']}"]
    lines += [f"Requires-Dist: {d}" for d in project.get("dependencies", [])]
    return "\n".join(lines) + "\n"


def _record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def get_requires_for_build_wheel(config_settings=None):
    return []


def get_requires_for_build_sdist(config_settings=None):
    return []


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    project = _project()
    name, version = project["name"], project["version"]
    dist_info = f"{name}-{version}.dist-info"
    files = []
    package = os.path.join(HERE, "colloidsim")
    for root, _, names in os.walk(package):
        for file in sorted(names):
            if file.endswith(".py"):
                path = os.path.join(root, file)
                with open(path, "rb") as f:
                    files.append((os.path.relpath(path, HERE).replace(os.sep, "/"), f.read()))
    files.append((f"{dist_info}/METADATA", _metadata(project).encode()))
    files.append((f"{dist_info}/WHEEL", b"Wheel-Version: 1.0\nGenerator: wheel_backend\n"
                  b"Root-Is-Purelib: true\nTag: py3-none-any\n"))
    record = [_record_line(n, d) for n, d in files] + [f"{dist_info}/RECORD,,"]
    files.append((f"{dist_info}/RECORD", ("\n".join(record) + "\n").encode()))
    wheel_name = f"{name}-{version}-py3-none-any.whl"
    with zipfile.ZipFile(os.path.join(wheel_directory, wheel_name), "w",
                         zipfile.ZIP_DEFLATED) as wheel:
        for n, d in files:
            wheel.writestr(n, d)
    return wheel_name


def build_sdist(sdist_directory, config_settings=None):
    import tarfile
    project = _project()
    base = f"{project['name']}-{project['version']}"
    sdist_name = f"{base}.tar.gz"
    with tarfile.open(os.path.join(sdist_directory, sdist_name), "w:gz") as tar:
        for item in ("pyproject.toml", "build_backend", "colloidsim"):
            tar.add(os.path.join(HERE, item), arcname=f"{base}/{item}",
                    filter=lambda t: None if "__pycache__" in t.name else t)
    return sdist_name
