"""Windows paths on drive C: mapped onto a folder of this machine, the way Windows would
find them: drive letter and every component matched without regard to case."""

import os
import re
from dataclasses import dataclass

import messages

DRIVE_PREFIX = re.compile(r"^[A-Za-z]:[\\/]")


@dataclass(frozen=True)
class Resolution:
    """Where a Windows path leads: a file of this machine, or the Windows error opening it."""
    path: str = None
    os_error: int = None


class DriveC:
    def __init__(self, root):
        self.root = os.path.abspath(root)

    def resolve(self, windows_path):
        """Finds the existing file a Windows path names."""
        components = self.components(windows_path)
        if components is None:
            return Resolution(os_error=messages.OS_PATH_NOT_FOUND)
        if not components:
            return Resolution(os_error=messages.OS_ACCESS_DENIED)
        folder = self.root
        for component in components[:-1]:
            folder = find_entry(folder, component)
            if folder is None or not os.path.isdir(folder):
                return Resolution(os_error=messages.OS_PATH_NOT_FOUND)
        found = find_entry(folder, components[-1])
        if found is None:
            return Resolution(os_error=messages.OS_FILE_NOT_FOUND)
        if os.path.isdir(found):
            return Resolution(os_error=messages.OS_ACCESS_DENIED)
        return Resolution(path=found)

    @staticmethod
    def components(windows_path):
        """The components below C:\\ after Windows normalises "." and ".."; None when the
        path is not an absolute path on drive C:. ".." at the root stays at the root, so a
        path never leads outside the folder."""
        if not DRIVE_PREFIX.match(windows_path) or windows_path[0] not in "Cc":
            return None
        components = []
        for component in re.split(r"[\\/]", windows_path[3:]):
            if component in ("", "."):
                continue
            if component == "..":
                if components:
                    components.pop()
                continue
            components.append(component)
        return components


def find_entry(folder, name):
    """The entry of folder whose name equals name without regard to case; an exact match
    wins over others."""
    exact = os.path.join(folder, name)
    if os.path.lexists(exact):
        return exact
    try:
        entries = sorted(os.listdir(folder))
    except OSError:
        return None
    wanted = name.casefold()
    for entry in entries:
        if entry.casefold() == wanted:
            return os.path.join(folder, entry)
    return None
