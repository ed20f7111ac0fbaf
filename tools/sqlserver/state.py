"""The server's lasting state, kept in state.json of the state folder: logins, server-role
members and databases. Names are matched without regard to case, as the server's
case-insensitive collation does; they are stored as they were created."""

import json
import os
from dataclasses import asdict, dataclass, field

import catalog

STATE_FILE = "state.json"


class StateError(Exception):
    """The state cannot be loaded."""


@dataclass
class Login:
    name: str
    password: str
    default_database: str
    default_language: str


@dataclass
class Database:
    name: str
    data_files: list = field(default_factory=list)  # Windows paths, as given when attached
    log_files: list = field(default_factory=list)
    compatibility_level: int = catalog.SERVER_COMPATIBILITY_LEVEL
    users: list = field(default_factory=list)  # of {"name": user, "login": login name}

    def user_named(self, name):
        return next((user for user in self.users if same_name(user["name"], name)), None)

    def user_of_login(self, login_name):
        return next((user for user in self.users if same_name(user["login"], login_name)), None)


def same_name(a, b):
    return a.casefold() == b.casefold()


def find(names, name):
    return next((candidate for candidate in names if same_name(candidate, name)), None)


class ServerState:
    def __init__(self, directory, logins, server_roles, databases):
        self.directory = directory
        self.logins = logins  # name -> Login
        self.server_roles = server_roles  # role -> [login names]
        self.databases = databases  # name -> Database

    # ------------------------------------------------------------ persistence

    @classmethod
    def load(cls, directory, sa_password):
        """Reads the state of the folder; a folder without one starts a new server whose
        administrator has sa_password."""
        path = os.path.join(directory, STATE_FILE)
        if not os.path.exists(path):
            if sa_password is None:
                raise StateError(f"{path} does not exist: a new server needs --sa-password")
            state = cls.new(directory, sa_password)
            state.save()
            return state
        with open(path, encoding="utf-8") as file:
            data = json.load(file)
        return cls(directory,
                   logins={name: Login(**login) for name, login in data["logins"].items()},
                   server_roles={role: list(members)
                                 for role, members in data["server_roles"].items()},
                   databases={name: Database(**database)
                              for name, database in data["databases"].items()})

    @classmethod
    def new(cls, directory, sa_password):
        administrator = Login(catalog.ADMINISTRATOR, sa_password, "master",
                              catalog.DEFAULT_LANGUAGE)
        return cls(directory,
                   logins={administrator.name: administrator},
                   server_roles={role: [] for role in catalog.FIXED_SERVER_ROLES} |
                   {"sysadmin": [administrator.name]},
                   databases={name: Database(name) for name in catalog.SYSTEM_DATABASES})

    def to_json(self):
        return {
            "logins": {name: asdict(login) for name, login in self.logins.items()},
            "server_roles": self.server_roles,
            "databases": {name: asdict(database) for name, database in self.databases.items()},
        }

    def save(self):
        """Writes the state so that a reader never sees half a file."""
        path = os.path.join(self.directory, STATE_FILE)
        temporary = path + ".tmp"
        with open(temporary, "w", encoding="utf-8") as file:
            json.dump(self.to_json(), file, indent=2, ensure_ascii=False)
            file.write("\n")
        os.replace(temporary, path)

    # ------------------------------------------------------------ look-ups

    def login(self, name):
        key = find(self.logins, name)
        return self.logins[key] if key else None

    def database(self, name):
        key = find(self.databases, name)
        return self.databases[key] if key else None

    def is_role_member(self, role, login_name):
        return find(self.server_roles.get(role, []), login_name) is not None

    # ------------------------------------------------------------ changes

    def add_login(self, login):
        self.logins[login.name] = login

    def add_role_member(self, role, login_name):
        self.server_roles.setdefault(role, []).append(login_name)

    def add_database(self, database):
        self.databases[database.name] = database
